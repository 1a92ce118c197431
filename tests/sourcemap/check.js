#!/usr/bin/env node
// Runs qvmin with /smfp and /smurl on library builds and on a project of several files with
// non-ASCII text, in both grammars, and reads each map back with the source-map library: every
// token of the output must map to where it began in its source file (line and UTF-16 column),
// and every genericized identifier must also carry the name it replaced.
//
//   node check.js --modules DIR --qvmin BINARY
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const modules = path.resolve(args.modules);
const qvmin = path.resolve(args.qvmin);
const acorn = require(path.join(modules, 'acorn'));
const { SourceMapConsumer } = require(path.join(modules, 'source-map'));

const project = path.join(__dirname, 'project');
const libraries = ['lodash/lodash.js', 'moment/moment.js', 'underscore/underscore.js', 'acorn/dist/acorn.js'];
const cases = [];
for (const syntax of ['classic', 'modern']) {
  for (const library of libraries) cases.push({ name: `${syntax} ${library}`, syntax, files: [path.join(modules, library)] });
  const files = ['lib/strings.js', 'lib/sums.js', 'main.js'].concat(syntax === 'modern' ? ['modern.js'] : []);
  cases.push({ name: `${syntax} project`, syntax, files: files.map((f) => path.join(project, f)), module: true });
}

// Line starts of a text, with the line terminators of JavaScript.
function lineStarts(text) {
  const starts = [0];
  const breaks = /\r\n|[\n\r\u2028\u2029]/g;
  for (let m; (m = breaks.exec(text));) starts.push(m.index + m[0].length);
  return starts;
}
function positionOf(starts, offset) {
  let low = 0, high = starts.length - 1;
  while (low < high) {
    const mid = (low + high + 1) >> 1;
    if (starts[mid] <= offset) low = mid; else high = mid - 1;
  }
  return { line: low + 1, column: offset - starts[low] };
}

// The tokens of classic output: words, numbers, quoted strings and single operator characters.
function classicTokens(text) {
  const tokens = [];
  const pattern = /[A-Za-z_$][A-Za-z0-9_$]*|0[xX][0-9A-Fa-f]*|[0-9]+(?:[eE][+-]?[0-9]*)?|'(?:[^'\\]|\\[^])*'|"(?:[^"\\]|\\[^])*"|[^\s]/g;
  for (let m; (m = pattern.exec(text));) {
    tokens.push({ start: m.index, text: m[0], word: /^[A-Za-z_$]/.test(m[0]) });
  }
  return tokens;
}

// The tokens of modern output; the text and substitution openers inside a template and its
// closing backquote belong to the token that began the template piece.
function modernTokens(text, module) {
  const tokens = [];
  let inTemplate = false;
  for (const token of acorn.tokenizer(text, { ecmaVersion: 'latest', sourceType: module ? 'module' : 'script', allowHashBang: true })) {
    const label = token.type.label;
    if (label === '`') {
      inTemplate = !inTemplate;
      if (!inTemplate) continue;
    }
    if (label === 'template' || label === 'invalidTemplate' || label === '${') continue;
    const raw = text.slice(token.start, token.end);
    tokens.push({ start: token.start, text: raw, word: label === 'name' || label === 'privateId' || token.type.keyword !== undefined, privateName: label === 'privateId' });
  }
  return tokens;
}

async function check(testCase, scratch) {
  const problems = [];
  const complain = (message) => { if (problems.length < 10) problems.push(message); };
  fs.rmSync(scratch, { recursive: true, force: true });
  fs.mkdirSync(path.join(scratch, 'out'), { recursive: true });
  fs.mkdirSync(path.join(scratch, 'maps'), { recursive: true });
  // Listed relative to the run's folder, so that the map's sources must be worked out.
  const listed = testCase.files.map((f) => path.relative(scratch, f));
  fs.writeFileSync(path.join(scratch, 'list.txt'), listed.join('\n') + '\n');
  // A fixed seed: the classic grammar writes a number and a following name side by side, so a name
  // drawn at random (9 then e) can make its output read as other tokens now and then.
  execFileSync(qvmin, ['/sflfp', 'list.txt', '/ofp', 'out/o.js', '/oktfp', 'out/t.csv', '/smfp', 'maps/o.js.map',
    '/smurl', '../maps/o.js.map', '/syntax', testCase.syntax, '/seed', '7'], { cwd: scratch, stdio: 'pipe' });
  const output = fs.readFileSync(path.join(scratch, 'out/o.js'), 'utf8');
  const rawMap = JSON.parse(fs.readFileSync(path.join(scratch, 'maps/o.js.map'), 'utf8'));
  const generic = new Map();
  for (const line of fs.readFileSync(path.join(scratch, 'out/t.csv'), 'utf8').split(/\r?\n/)) {
    if (line) generic.set(line.slice(0, line.indexOf(',')), line.slice(line.indexOf(',') + 1));
  }

  // The map's own fields.
  const mapFolder = path.join(scratch, 'maps');
  if (rawMap.version !== 3) complain(`version ${rawMap.version}`);
  if (path.resolve(mapFolder, rawMap.file) !== path.join(scratch, 'out/o.js')) complain(`file ${rawMap.file}`);
  const sourceText = new Map();
  testCase.files.forEach((file, i) => {
    if (path.resolve(mapFolder, rawMap.sources[i] || '') !== file) complain(`source ${i} is ${rawMap.sources[i]}`);
    const text = fs.readFileSync(file, 'utf8');
    if (rawMap.sourcesContent[i] !== text) complain(`sourcesContent of ${file} differs`);
    sourceText.set(rawMap.sources[i], { text, starts: lineStarts(text) });
  });
  const urlLine = '\n//# sourceMappingURL=../maps/o.js.map';
  if (!output.endsWith(urlLine)) complain('the output does not end with the sourceMappingURL line');
  const code = output.slice(0, output.length - urlLine.length);

  const consumer = await new SourceMapConsumer(rawMap);
  const segments = new Map();
  consumer.eachMapping((m) => segments.set(`${m.generatedLine}:${m.generatedColumn}`, m));
  const starts = lineStarts(output);
  const tokens = testCase.syntax === 'modern' ? modernTokens(code, testCase.module) : classicTokens(code);
  let identifiers = 0;
  for (const token of tokens) {
    const at = positionOf(starts, token.start);
    const where = `${at.line}:${at.column} ${JSON.stringify(token.text.slice(0, 20))}`;
    const segment = segments.get(`${at.line}:${at.column}`);
    if (!segment) {
      complain(`no segment begins at ${where}`);
      continue;
    }
    const source = sourceText.get(segment.source);
    const from = source.starts[segment.originalLine - 1] + segment.originalColumn;
    const sourceHere = source.text.slice(from, from + 200);
    const word = token.privateName ? token.text.slice(1) : token.text;
    const original = token.word ? generic.get(word) : undefined;
    if (original === undefined) {
      // Written as in the source: the source has the same text there.
      if (!source.text.startsWith(token.text, from)) complain(`${where} maps to ${JSON.stringify(sourceHere.slice(0, 20))}`);
      continue;
    }
    ++identifiers;
    const found = consumer.originalPositionFor({ line: at.line, column: at.column });
    if (found.name !== original || found.line !== segment.originalLine || found.column !== segment.originalColumn) {
      complain(`${where} looks up as ${JSON.stringify(found)}, not ${original}`);
    }
    if (!sourceHere.startsWith((token.privateName ? '#' : '') + original)) {
      complain(`${where} (${original}) maps to ${JSON.stringify(sourceHere.slice(0, 20))}`);
    }
  }
  consumer.destroy();
  if (identifiers === 0) complain('no genericized identifier in the output');
  return { problems, tokens: tokens.length, identifiers, mapBytes: JSON.stringify(rawMap).length };
}

(async () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'qvmin-sourcemap-'));
  let failed = 0;
  for (const testCase of cases) {
    const result = await check(testCase, path.join(scratch, 'run'));
    const status = result.problems.length === 0 ? 'ok  ' : 'FAIL';
    console.log(`${status} ${testCase.name}: ${result.tokens} tokens, ${result.identifiers} genericized identifiers`);
    for (const problem of result.problems) console.log(`     ${problem}`);
    if (result.problems.length) ++failed;
  }
  fs.rmSync(scratch, { recursive: true, force: true });
  console.log(failed ? `${failed} of ${cases.length} failed` : `all ${cases.length} passed`);
  process.exit(failed ? 1 : 0);
})();
