#!/usr/bin/env node
// The npm package and the native binary, given the same sources, options and seed, give the
// same bytes: output, translation file and source map, messages and exit status. Each case runs
// three ways: obfuscate() on texts in memory, the native binary on the same files on disk, and
// the package's qvmin bin (WebAssembly on node's fs) on them too.
//
//   node identical.js --package DIR --qvmin NATIVE_BINARY
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync, spawnSync } = require('child_process');

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const packageDir = path.resolve(args.package);
const native = path.resolve(args.qvmin);
const { obfuscate } = require(packageDir);
const root = path.resolve(__dirname, '../..');

// Library builds, from the packages the source-map check pins.
const modules = execFileSync('bash', [path.join(root, 'tests/support/npm_packages.sh'), path.join(root, 'tests/sourcemap')])
  .toString().trim();
const read = (file) => fs.readFileSync(file);
const projectSources = (folder) => read(path.join(folder, 'files.txt')).toString().split(/\r?\n/).filter(Boolean)
  .map((p) => ({ path: p, text: read(path.join(folder, p)) }));
const shop = projectSources(path.join(root, 'examples'));
const classicShop = projectSources(path.join(root, 'examples/classic'));
const libraries = ['lodash/lodash.js', 'moment/moment.js', 'underscore/underscore.js']
  .map((file) => ({ path: 'lib/' + path.basename(file), text: read(path.join(modules, file)) }));
const pageNames = read(path.join(root, 'examples/page-names.txt'));
const bytes = (...values) => Uint8Array.from(values);
const js = (text) => [{ path: 'a.js', text }];

// A 100 MB source, as a string.
const line = 'var total_N = price_N * count + "text \\u00e9 N"; // comment\n';
const large = line.repeat(Math.ceil(100e6 / line.length)).replace(/N/g, () => 'x');

const cases = [
  { name: 'example shop, modern, map', sources: shop, keep: pageNames, syntax: 'modern', seed: 1, sourceMap: true },
  { name: 'classic example shop, map and url', sources: classicShop, keep: ['emptyCart', 'renderCart'], seed: 2n, sourceMap: true, sourceMapUrl: 'app.js.map' },
  { name: 'libraries, classic, map', sources: libraries, seed: '18446744073709551615', sourceMap: true },
  { name: 'libraries, modern, node names, quoted names off', sources: libraries, syntax: 'modern', env: 'node', kqn: false, seed: 3 },
  { name: 'libraries, earlier translation kept', sources: libraries, seed: 4, previousTranslation: 'earlier' },
  { name: 'output in a folder', sources: shop, syntax: 'modern', seed: 5, sourceMap: true, outputPath: 'dist/app.js', folders: ['dist'] },
  { name: 'invalid UTF-8 and NUL bytes, classic', sources: js(bytes(0x76, 0x61, 0x72, 0x20, 0xff, 0x61, 0xc3, 0x28, 0, 0x3b)), seed: 6 },
  { name: 'invalid UTF-8 and NUL bytes, modern', sources: js(bytes(0x6c, 0x65, 0x74, 0x20, 0xe2, 0x82, 0x3d, 0x27, 0xff, 0, 0x27, 0x3b)), syntax: 'modern', seed: 6, sourceMap: true },
  { name: 'a 100 MB source', sources: [{ path: 'large.js', text: large }], syntax: 'modern', seed: 7 },
  // The error cases of the list files and options.
  { name: 'no sources', sources: [], seed: 1 },
  { name: 'duplicate source path', sources: [{ path: 'a.js', text: 'a' }, { path: 'a.js', text: 'b' }] },
  { name: 'source path starting with a space', sources: [{ path: ' a.js', text: 'a' }] },
  { name: 'source path ending with a period', sources: [{ path: 'a.', text: 'a' }] },
  { name: 'source path with a star', sources: [{ path: 'a*.js', text: 'a' }] },
  { name: 'source path with a tab', sources: [{ path: 'a\t.js', text: 'a' }] },
  { name: 'exclusion list: duplicate name', sources: js('var a;'), keep: ['alpha', 'beta', 'alpha'] },
  { name: 'exclusion list: a built-in keyword', sources: js('var a;'), keep: ['if'] },
  { name: 'exclusion list: empty line', sources: js('var a;'), keep: 'alpha\n\nbeta' },
  { name: 'exclusion list: bad character', sources: js('var a;'), keep: ['al(pha'] },
  { name: 'exclusion list: leading digit', sources: js('var a;'), keep: ['9lives'] },
  { name: 'earlier translation: no comma', sources: js('var a;'), previousTranslation: 'a,alpha\r\nbbeta\r\n' },
  { name: 'earlier translation: a name never handed out', sources: js('var a;'), previousTranslation: 'abcdef,alpha\r\n' },
  { name: 'earlier translation: binary', sources: js('var a;'), previousTranslation: bytes(0, 1, 2, 0xff) },
  { name: 'bad syntax value', sources: js('a'), syntax: 'es5' },
  { name: 'bad environment value', sources: js('a'), syntax: 'modern', env: 'mars' },
  { name: 'bad quoted-names value', sources: js('a'), kqn: 'yes' },
  { name: 'negative seed', sources: js('a'), seed: -1 },
  { name: 'fractional seed', sources: js('a'), seed: 1.5 },
  { name: 'seed past 2^64', sources: js('a'), seed: '18446744073709551616' },
  { name: 'output named like a source', sources: [{ path: 'out.js', text: 'a' }] },
];

// The command line the package runs, written out here on its own.
function commandLine(c, output) {
  const line = ['/sflfp', 'sources.txt'];
  if (c.keep !== undefined) line.push('/kelfp', 'keep.txt');
  line.push('/ofp', output, '/oktfp', 'translation.txt');
  if (c.syntax !== undefined) line.push('/syntax', c.syntax);
  if (c.env !== undefined) line.push('/env', c.env);
  if (c.kqn !== undefined) line.push('/kqn', c.kqn === true ? 'on' : c.kqn === false ? 'off' : c.kqn);
  if (c.sourceMap) line.push('/smfp', output + '.map');
  if (c.sourceMapUrl !== undefined) line.push('/smurl', c.sourceMapUrl);
  if (c.previousTranslation !== undefined) line.push('/iktfp', 'previous-translation.txt');
  if (c.seed !== undefined) line.push('/seed', String(c.seed));
  return line;
}

function writeTree(dir, c) {
  for (const folder of c.folders || []) fs.mkdirSync(path.join(dir, folder), { recursive: true });
  for (const source of c.sources) {
    fs.mkdirSync(path.dirname(path.join(dir, source.path)), { recursive: true });
    fs.writeFileSync(path.join(dir, source.path), source.text);
  }
  fs.writeFileSync(path.join(dir, 'sources.txt'), c.sources.map((s) => s.path).join('\n'));
  if (c.keep !== undefined) fs.writeFileSync(path.join(dir, 'keep.txt'), Array.isArray(c.keep) ? c.keep.join('\n') : c.keep);
  if (c.previousTranslation !== undefined) fs.writeFileSync(path.join(dir, 'previous-translation.txt'), c.previousTranslation);
}

// Runs a command in a fresh folder holding the case's files; what it printed, its status and
// the files it wrote (null for one it never created).
function runOnDisk(command, commandArgs, c, output) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'qvmin-identical-'));
  try {
    writeTree(dir, c);
    const run = spawnSync(command, commandArgs.concat(commandLine(c, output)), { cwd: dir, maxBuffer: 1 << 30 });
    const file = (name) => (fs.existsSync(path.join(dir, name)) ? fs.readFileSync(path.join(dir, name)) : null);
    return {
      status: run.status,
      messages: run.stdout.toString(),
      stderr: run.stderr.toString(),
      code: file(output),
      translation: file('translation.txt'),
      map: c.sourceMap ? file(output + '.map') : null,
    };
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

const same = (a, b) => (a === null || b === null ? a === b : Buffer.compare(Buffer.from(a), Buffer.from(b)) === 0);
const describeBytes = (value) => (value === null ? 'none' : value.length + ' bytes');

let passed = 0;
let failed = 0;
const earlier = obfuscate({ sources: libraries, seed: 99 }).translation;
for (const c of cases) {
  if (c.previousTranslation === 'earlier') c.previousTranslation = earlier;
  const output = c.outputPath || 'out.js';
  const { name, folders, ...options } = c;
  const problems = [];
  const library = obfuscate({ ...options, bytes: true });
  const expected = runOnDisk(native, [], c, output);
  const bin = runOnDisk(process.execPath, [path.join(packageDir, 'bin/qvmin.js')], c, output);
  for (const [who, got] of [['obfuscate()', { ...library, status: library.ok ? 0 : 1, stderr: '' }], ['the qvmin bin', bin]]) {
    if (got.status !== expected.status) problems.push(`${who}: exit status ${got.status}, native ${expected.status}`);
    if (got.messages !== expected.messages) problems.push(`${who}: messages differ:\n${got.messages}\n--- native:\n${expected.messages}`);
    if (got.stderr !== '') problems.push(`${who}: wrote to standard error: ${got.stderr}`);
    for (const field of ['code', 'translation', 'map']) {
      if (!same(got[field], expected[field])) {
        problems.push(`${who}: ${field} differs (${describeBytes(got[field])}, native ${describeBytes(expected[field])})`);
      }
    }
  }
  if (problems.length === 0) {
    passed++;
    console.log(`ok   ${name} (exit status ${expected.status})`);
  } else {
    failed++;
    console.log(`FAIL ${name}\n  ${problems.join('\n  ')}`);
  }
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
