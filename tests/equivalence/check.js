#!/usr/bin/env node
// Checks that qvmin turns a program into the same program. Each file is obfuscated alone, input
// and output are parsed with acorn, the output's names are mapped back through the translation
// file, and the two trees are compared without positions and raw texts.
//
//   node check.js --qvmin PATH [--qvmin-args "ARGS"] [--modules DIR] [--jobs N] [--list N]
//                 [--keep] test262|libraries|FILE...
//
// run.sh installs the packages and passes --modules. Exit status: 0 when every file that acorn
// parses comes out equivalent, 1 when any does not, 2 on a usage error.
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const { createRequire } = require('module');
const os = require('os');
const path = require('path');

// Unminified single-file builds: package, file in the package, how acorn reads it.
const LIBRARIES = [
  ['lodash', 'lodash.js', 'script'],
  ['jquery', 'dist/jquery.js', 'script'],
  ['moment', 'moment.js', 'script'],
  ['underscore', 'underscore.js', 'script'],
  ['backbone', 'backbone.js', 'script'],
  ['immutable', 'dist/immutable.es.js', 'module'],
  ['luxon', 'build/global/luxon.js', 'script'],
  ['ramda', 'dist/ramda.js', 'script'],
  ['pako', 'dist/pako.mjs', 'module'],
  ['papaparse', 'papaparse.js', 'script'],
  ['esprima', 'dist/esprima.js', 'script'],
  ['async', 'dist/async.js', 'script'],
  ['mithril', 'mithril.js', 'script'],
  ['acorn', 'dist/acorn.mjs', 'module'],
];

const FAILED = new Set(['differs', 'output not parsed', 'qvmin failed']);

function usage(message) {
  console.log(`check.js: ${message}\nusage: node check.js --qvmin PATH [--qvmin-args "ARGS"] ` +
    '[--modules DIR] [--jobs N] [--list N] [--keep] test262|libraries|FILE...');
  process.exit(2);
}

function parseArguments(argv) {
  const options = {
    qvmin: null, qvminArgs: [], jobs: 2, list: 20, keep: false, targets: [],
    modules: path.join(__dirname, '..', '..', 'build', 'npm', 'equivalence', 'node_modules'),
  };
  for (let i = 0; i < argv.length; i++) {
    const arg = argv[i];
    const value = () => (i + 1 < argv.length ? argv[++i] : usage(`${arg} needs a value`));
    if (arg === '--qvmin') options.qvmin = path.resolve(value());
    else if (arg === '--qvmin-args') options.qvminArgs = value().split(/\s+/).filter(Boolean);
    else if (arg === '--modules') options.modules = path.resolve(value());
    else if (arg === '--jobs') options.jobs = Math.max(1, Number(value()) || 1);
    else if (arg === '--list') options.list = Math.max(0, Number(value()) || 0);
    else if (arg === '--keep') options.keep = true;
    else if (arg.startsWith('--')) usage(`unknown option ${arg}`);
    else options.targets.push(arg);
  }
  if (!options.qvmin) usage('--qvmin is required');
  if (options.targets.length === 0) usage('nothing to check');
  return options;
}

// The suites named on the command line, each a list of files to check.
function suites(options) {
  const result = [];
  const files = [];
  for (const target of options.targets) {
    if (target === 'test262') {
      const dir = path.join(options.modules, 'test262-parser-tests', 'pass');
      result.push({
        name: 'test262 pass/', perFile: false,
        jobs: fs.readdirSync(dir).sort().map((name) => ({
          label: `pass/${name}`, file: path.join(dir, name),
          sourceType: name.endsWith('.module.js') ? 'module' : 'script',
        })),
      });
    } else if (target === 'libraries') {
      result.push({
        name: 'libraries', perFile: true,
        jobs: LIBRARIES.map(([pkg, file, sourceType]) => {
          const { version } = require(path.join(options.modules, pkg, 'package.json'));
          return { label: `${pkg} ${version} (${file}, ${sourceType})`,
            file: path.join(options.modules, pkg, file), sourceType };
        }),
      });
    } else {
      const file = path.resolve(target);
      const sourceType = /\.(module\.js|mjs)$/.test(file) ? 'module' : 'script';
      files.push({ label: `${target} (${sourceType})`, file, sourceType });
    }
  }
  if (files.length) result.push({ name: 'files', perFile: true, jobs: files });
  return result;
}

// The translation file maps each generic name to the identifier it replaced. Identifiers are
// UTF-8, except that a lone surrogate is written as its own 3-byte sequence (WTF-8), which a
// plain UTF-8 decoder would turn into replacement characters.
function decodeWtf8(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length;) {
    const lead = bytes[i];
    const length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
    let codePoint = length === 1 ? lead : lead & (0xff >> (length + 1));
    for (let k = 1; k < length; k++) codePoint = (codePoint << 6) | (bytes[i + k] & 0x3f);
    text += String.fromCodePoint(codePoint);
    i += length;
  }
  return text;
}

function readTranslation(file) {
  const bytes = fs.readFileSync(file);
  const names = new Map();
  let start = 0;
  while (start < bytes.length) {
    const end = bytes.indexOf('\r\n', start);
    const comma = bytes.indexOf(',', start);
    if (end < 0 || comma < 0 || comma > end) {
      throw new Error(`translation file: line ${names.size + 1} is not "name,identifier" CR LF`);
    }
    const name = bytes.toString('latin1', start, comma);
    if (!/^[A-Za-z]+$/.test(name) || names.has(name)) {
      throw new Error(`translation file: bad or repeated name "${name}"`);
    }
    names.set(name, decodeWtf8(bytes.subarray(comma + 1, end)));
    start = end + 2;
  }
  return names;
}

// Fields that only say where a node was or how its text was spelled. A template element's raw
// text stays: tagged templates see it.
const POSITIONAL = new Set(['start', 'end', 'loc', 'range']);

function fieldsOf(node) {
  return Object.keys(node).filter((key) => !POSITIONAL.has(key) &&
    !(key === 'raw' && !('cooked' in node)) &&
    !(key === 'value' && node.type === 'Literal' && (node.regex || node.bigint !== undefined)) &&
    !(key === 'bigint' && node.type === 'Literal'));
}

function show(value) {
  if (value && typeof value === 'object') return Array.isArray(value) ? 'an array' : value.type || 'an object';
  const text = typeof value === 'string' ? JSON.stringify(value) : String(value);
  return text.length > 60 ? `${text.slice(0, 57)}...` : text;
}

// The first place where the output's tree, its names mapped back, differs from the input's.
function difference(before, after, names, where) {
  if (typeof before !== 'object' || before === null || typeof after !== 'object' || after === null) {
    return Object.is(before, after) ? null : `${where}: ${show(before)} became ${show(after)}`;
  }
  if (Array.isArray(before) || Array.isArray(after)) {
    if (!Array.isArray(before) || !Array.isArray(after) || before.length !== after.length) {
      return `${where}: ${show(before)} of ${before.length} became ${show(after)} of ${after.length}`;
    }
    for (let i = 0; i < before.length; i++) {
      const found = difference(before[i], after[i], names, `${where}[${i}]`);
      if (found) return found;
    }
    return null;
  }
  if (before.type !== after.type) return `${where}: ${show(before)} became ${show(after)}`;
  const keys = new Set([...fieldsOf(before), ...fieldsOf(after)]);
  const renamed = after.type === 'Identifier' || after.type === 'PrivateIdentifier';
  const literal = before.type === 'Literal' && after.type === 'Literal';
  for (const key of keys) {
    let b = after[key];
    if (key === 'name' && renamed && names.has(b)) b = names.get(b);
    const found = difference(before[key], b, names, where ? `${where}.${key}` : key);
    if (found) return found;
  }
  if (literal && typeof before.value === 'bigint') {
    return difference(String(before.value), String(after.value), names, `${where}.value`);
  }
  return null;
}

function run(command, args, cwd) {
  return new Promise((resolve) => {
    childProcess.execFile(command, args, { cwd, maxBuffer: 1 << 26, timeout: 120000 },
      (error, stdout, stderr) => resolve({ status: error ? (error.code ?? error.signal) : 0, stdout, stderr }));
  });
}

async function checkFile(job, options, acorn, scratch) {
  const parse = (text) => acorn.parse(text, {
    ecmaVersion: 'latest', sourceType: job.sourceType, allowHashBang: true,
  });
  let before;
  try {
    before = parse(fs.readFileSync(job.file, 'utf8'));
  } catch (error) {
    return { status: 'not parsed by acorn in the input', detail: error.message };
  }
  const dir = fs.mkdtempSync(path.join(scratch, 'file-'));
  let result;
  try {
    fs.writeFileSync(path.join(dir, 'files.txt'), `${job.file}\n`);
    const { status, stdout, stderr } = await run(options.qvmin, ['/sflfp', 'files.txt', '/ofp',
      'out.js', '/oktfp', 'translation.txt', ...options.qvminArgs], dir);
    if (status !== 0 || stderr) {
      // The report line, not the closing hints; a sanitizer speaks on standard error.
      const lines = `${stdout}\n${stderr}`.split('\n').map((line) => line.trim())
        .filter((line) => line && !/^(HELP:|Pseudo-Compilation Aborted)/.test(line));
      const line = lines.find((l) => /ERROR:|runtime error/.test(l)) ?? lines.pop();
      return (result = { status: 'qvmin failed', detail: `exit status ${status}: ${line}` });
    }
    let after;
    try {
      after = parse(fs.readFileSync(path.join(dir, 'out.js'), 'utf8'));
    } catch (error) {
      return (result = { status: 'output not parsed', detail: error.message });
    }
    const found = difference(before, after, readTranslation(path.join(dir, 'translation.txt')), '');
    result = found ? { status: 'differs', detail: found } : { status: 'equivalent' };
  } catch (error) {
    result = { status: 'qvmin failed', detail: error.message };
  } finally {
    if (options.keep && result && FAILED.has(result.status)) result.detail += ` [kept in ${dir}]`;
    else fs.rmSync(dir, { recursive: true, force: true });
  }
  return result;
}

async function checkAll(jobs, options, acorn, scratch) {
  const results = new Array(jobs.length);
  let next = 0;
  const worker = async () => {
    while (next < jobs.length) {
      const i = next++;
      results[i] = await checkFile(jobs[i], options, acorn, scratch);
    }
  };
  await Promise.all(Array.from({ length: options.jobs }, worker));
  return results;
}

// Acorn quotes a whole regular expression in some messages.
function clip(text) {
  return text.length > 200 ? `${text.slice(0, 197)}...` : text;
}

function report(suite, results, seconds, listLimit) {
  const count = (test) => results.filter((r) => test(r.status)).length;
  const equivalent = count((s) => s === 'equivalent');
  const differ = count((s) => FAILED.has(s));
  const rejected = count((s) => s === 'not parsed by acorn in the input');
  if (suite.perFile) {
    suite.jobs.forEach((job, i) => {
      const r = results[i];
      console.log(`${job.label}: ${r.status}${r.detail ? `: ${clip(r.detail)}` : ''}`);
    });
  }
  console.log(`${suite.name}: ${equivalent} equivalent, ${differ} differ, ` +
    `${rejected} not parsed by acorn in the input (${seconds.toFixed(1)} s)`);
  if (suite.perFile) return differ;
  const listed = (test, heading, limit) => {
    const hits = suite.jobs.map((job, i) => [job, results[i]]).filter(([, r]) => test(r.status));
    if (hits.length === 0) return;
    console.log(`  ${heading}:`);
    for (const [job, r] of hits.slice(0, limit)) console.log(`    ${job.label}: ${r.status}: ${clip(r.detail)}`);
    if (hits.length > limit) console.log(`    ... and ${hits.length - limit} more`);
  };
  listed((s) => FAILED.has(s), 'not equivalent', listLimit);
  listed((s) => s === 'not parsed by acorn in the input', 'inputs acorn rejects (not counted)', Infinity);
  return differ;
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  if (!fs.existsSync(options.qvmin)) usage(`no qvmin at ${options.qvmin}`);
  let acorn;
  try {
    acorn = createRequire(path.join(options.modules, 'noop.js'))('acorn');
  } catch {
    usage(`acorn is not installed in ${options.modules}; run run.sh, which installs it`);
  }
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'qvmin-equivalence-'));
  console.log(`qvmin: ${options.qvmin} ${options.qvminArgs.join(' ')}`.trimEnd());
  let failures = 0;
  try {
    for (const suite of suites(options)) {
      const started = process.hrtime.bigint();
      const results = await checkAll(suite.jobs, options, acorn, scratch);
      const seconds = Number(process.hrtime.bigint() - started) / 1e9;
      failures += report(suite, results, seconds, options.list);
    }
  } finally {
    if (!options.keep) fs.rmSync(scratch, { recursive: true, force: true });
  }
  process.exitCode = failures ? 1 : 0;
}

main();
