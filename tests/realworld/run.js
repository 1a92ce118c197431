#!/usr/bin/env node
// Runs popular libraries, each with a usage script, once as plain source and once as qvmin's
// output, and checks that both print exactly the same.
//
//   node run.js QVMIN [NAME...]      compare plain and obfuscated runs (all libraries by default)
//   node run.js --plain [NAME...]    only run the plain programs, twice, to check the scripts
//
// Each program runs as one classic script through vm.runInThisContext in a fresh node, so that a
// UMD build sees no `module` or `exports` and attaches its global, as in a browser page.
'use strict';
const fs = require('fs');
const path = require('path');
const crypto = require('crypto');
const { spawnSync } = require('child_process');

if (process.argv[2] === '--host') {
  const file = process.argv[3];
  // Bluebird's browser build switches to code generation, which that build leaves out, when it
  // finds no `navigator`; node 21 and later define one anyway.
  if (typeof navigator === 'undefined') globalThis.navigator = { userAgent: 'node' };
  require('vm').runInThisContext(fs.readFileSync(file, 'utf8'), { filename: file });
  return;
}

const HERE = __dirname;
const ROOT = path.resolve(HERE, '..', '..');
const NPM_DIR = path.join(ROOT, 'build', 'npm', 'realworld');
const WORK = path.join(NPM_DIR, 'work');

// Library name (also the usage script's and keep list's name) and its single-file build.
const LIBRARIES = {
  'lodash': 'lodash/lodash.js',
  'underscore': 'underscore/underscore-umd.js',
  'moment': 'moment/moment.js',
  'luxon': 'luxon/build/global/luxon.js',
  'ramda': 'ramda/dist/ramda.js',
  'immutable': 'immutable/dist/immutable.js',
  'async': 'async/dist/async.js',
  'bluebird': 'bluebird/js/browser/bluebird.js',
  'papaparse': 'papaparse/papaparse.js',
  'marked': 'marked/lib/marked.umd.js',
  'handlebars': 'handlebars/dist/handlebars.js',
  'pako': 'pako/dist/pako.js',
  'js-yaml': 'js-yaml/dist/js-yaml.js',
  'validator': 'validator/validator.js',
  'decimal': 'decimal.js/decimal.js',
  'mustache': 'mustache/mustache.js',
};

// Installs the pinned packages unless the lock file is the one installed last time.
function ensurePackages() {
  const lock = fs.readFileSync(path.join(HERE, 'package-lock.json'));
  const digest = crypto.createHash('sha256').update(lock).digest('hex');
  const stamp = path.join(NPM_DIR, 'node_modules', '.realworld-lock-sha256');
  const wanted = Object.values(LIBRARIES).map((f) => path.join(NPM_DIR, 'node_modules', f));
  let current = false;
  try { current = fs.readFileSync(stamp, 'utf8').trim() === digest; } catch (e) { /* first use */ }
  if (current && wanted.every((f) => fs.existsSync(f))) return;
  console.log('installing the npm packages pinned in tests/realworld/package-lock.json');
  fs.mkdirSync(NPM_DIR, { recursive: true });
  for (const f of ['package.json', 'package-lock.json']) fs.copyFileSync(path.join(HERE, f), path.join(NPM_DIR, f));
  const npm = spawnSync('npm', ['ci', '--ignore-scripts', '--no-audit', '--no-fund', '--loglevel=error'],
    { cwd: NPM_DIR, stdio: 'inherit' });
  if (npm.status !== 0) throw new Error('npm ci failed');
  fs.writeFileSync(stamp, digest + '\n');
}

function runProgram(file) {
  const r = spawnSync(process.execPath, [__filename, '--host', file], {
    encoding: 'utf8', timeout: 120000, maxBuffer: 64 << 20,
    env: { ...process.env, TZ: 'UTC', LC_ALL: 'en_US.UTF-8', LANG: 'en_US.UTF-8' },
  });
  const failed = r.status !== 0 ? `exit status ${r.status}${r.signal ? ' (' + r.signal + ')' : ''}: ` +
    (r.stderr || '').trim().split('\n').slice(0, 6).map((l) => l.slice(0, 200)).join(' | ') : null;
  return { out: r.stdout || '', failed };
}

function firstDifference(a, b) {
  const x = a.split('\n'), y = b.split('\n');
  for (let i = 0; ; i++) {
    if (x[i] !== y[i]) return `line ${i + 1}: plain ${JSON.stringify(x[i])}, obfuscated ${JSON.stringify(y[i])}`;
  }
}

function lineCount(text) { return text.split('\n').length - 1; }

// Returns null when the library passes, else what went wrong. The work folder is kept on failure.
function check(name, qvmin, plainOnly) {
  const dir = path.join(WORK, name);
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  const library = path.join(NPM_DIR, 'node_modules', LIBRARIES[name]);
  const usage = path.join(HERE, 'usage', name + '.js');
  const plainFile = path.join(dir, 'plain.js');
  fs.writeFileSync(plainFile, fs.readFileSync(library, 'utf8') + '\n' + fs.readFileSync(usage, 'utf8'));
  const plain = runProgram(plainFile);
  if (plain.failed) return { msg: `plain run fails, ${plain.failed}`, dir };
  if (lineCount(plain.out) < 10) return { msg: `plain run prints only ${lineCount(plain.out)} lines`, dir };
  fs.writeFileSync(path.join(dir, 'plain.out'), plain.out);

  let out;
  if (plainOnly) {
    out = runProgram(plainFile);
  } else {
    fs.writeFileSync(path.join(dir, 'files.txt'), library + '\n' + usage + '\n');
    const args = ['/sflfp', 'files.txt', '/ofp', 'out.js', '/oktfp', 'translation.txt', '/syntax', 'modern'];
    const keep = path.join(HERE, 'keep', name + '.txt');
    if (fs.existsSync(keep)) args.push('/kelfp', keep);
    const q = spawnSync(qvmin, args, { cwd: dir, encoding: 'utf8' });
    if (q.status !== 0) return { msg: `qvmin fails (exit status ${q.status}): ${(q.stdout || '').split('\n').filter((l) => l.trim()).slice(-2).join(' | ')}`, dir };
    out = runProgram(path.join(dir, 'out.js'));
  }
  const what = plainOnly ? 'second plain run' : 'obfuscated run';
  fs.writeFileSync(path.join(dir, plainOnly ? 'plain2.out' : 'obfuscated.out'), out.out);
  if (out.failed) return { msg: `${what} fails, ${out.failed}`, dir };
  if (out.out !== plain.out) return { msg: `${what} DIFFERS at ${firstDifference(plain.out, out.out)}`, dir };
  fs.rmSync(dir, { recursive: true, force: true });
  return { msg: null, lines: lineCount(plain.out) };
}

function main() {
  const args = process.argv.slice(2);
  const plainOnly = args[0] === '--plain';
  if (!args.length) { console.log('usage: node run.js QVMIN|--plain [NAME...]'); return 2; }
  const qvmin = plainOnly ? null : path.resolve(args[0]);
  const names = args.length > 1 ? args.slice(1) : Object.keys(LIBRARIES);
  const unknown = names.filter((n) => !(n in LIBRARIES));
  if (unknown.length) { console.log('unknown library: ' + unknown.join(', ')); return 2; }
  ensurePackages();
  let passed = 0;
  for (const name of names) {
    const start = Date.now();
    const r = check(name, qvmin, plainOnly);
    const secs = ((Date.now() - start) / 1000).toFixed(1);
    if (r.msg) console.log(`${name}: ${r.msg} (files kept in ${path.relative(ROOT, r.dir)})`);
    else { passed++; console.log(`${name}: same output (${r.lines} lines, ${secs} s)`); }
  }
  console.log(`${passed} passed, ${names.length - passed} failed`);
  return passed === names.length ? 0 : 1;
}

process.exitCode = main();
