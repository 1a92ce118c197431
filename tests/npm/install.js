#!/usr/bin/env node
// npm pack makes a tarball that installs into an empty folder without the network, and the
// installed package works there: both entries, the bin, the declarations, and the contract of
// obfuscate() for calls the command line cannot express (values of the wrong type, a missing
// sources array).
//
//   node install.js --package DIR
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { check, finish } = require('./checks');
const { execFileSync, spawnSync } = require('child_process');

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const packageDir = path.resolve(args.package);

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qvmin-pack-'));
const app = path.join(work, 'app');
try {
  // An unreachable registry: anything the install would fetch fails it.
  const offline = ['--offline', '--registry=http://127.0.0.1:9/', '--no-audit', '--no-fund', '--loglevel=error'];
  const tarball = execFileSync('npm', ['pack', '--pack-destination', work, '--loglevel=error'], { cwd: packageDir })
    .toString().trim().split('\n').pop();
  fs.mkdirSync(app);
  fs.writeFileSync(path.join(app, 'package.json'), '{"name": "app", "private": true}\n');
  execFileSync('npm', ['install', path.join(work, tarball), ...offline], { cwd: app, stdio: 'inherit' });
  const installed = path.join(app, 'node_modules/qvmin');
  const manifest = JSON.parse(fs.readFileSync(path.join(installed, 'package.json')));
  check('the declarations are installed and named by the manifest',
    fs.existsSync(path.join(installed, manifest.types)) && path.join(manifest.exports['.'].types) === path.join(manifest.types));

  const node = (argv, input) => spawnSync(process.execPath, argv, { cwd: app, input });
  const source = 'function addPrice(price) { return price * 2; }\naddPrice(3);\n';
  const cjs = node(['-e', `const r = require('qvmin').obfuscate({sources: [{path: 'a.js', text: ${JSON.stringify(source)}}], seed: 1});
    process.stdout.write(JSON.stringify(r));`]);
  const esm = node(['--input-type=module', '-e', `import {obfuscate} from 'qvmin';
    process.stdout.write(JSON.stringify(obfuscate({sources: [{path: 'a.js', text: ${JSON.stringify(source)}}], seed: 1})));`]);
  const fromCjs = cjs.status === 0 ? JSON.parse(cjs.stdout) : {};
  check('require() gives obfuscate()', fromCjs.ok === true && /^function \w+\(\w+\)\{return \w+\*2;\}\w+\(3\);$/.test(fromCjs.code),
    cjs.stderr.toString() + cjs.stdout);
  check('import gives the same obfuscate()', esm.status === 0 && esm.stdout.toString() === cjs.stdout.toString(), esm.stderr.toString());

  fs.writeFileSync(path.join(app, 'a.js'), source);
  fs.writeFileSync(path.join(app, 'list.txt'), 'a.js\n');
  const bin = spawnSync(path.join(app, 'node_modules/.bin/qvmin'), ['/sflfp', 'list.txt', '/ofp', 'out.js', '/oktfp', 'tr.txt', '/seed', '1'], { cwd: app });
  check('the qvmin bin runs on files', bin.status === 0 && fs.readFileSync(path.join(app, 'out.js'), 'utf8') === fromCjs.code,
    bin.stdout.toString() + bin.stderr.toString());
  const restore = spawnSync(path.join(app, 'node_modules/.bin/qvmin-restore'), ['/oktfp', 'tr.txt'], { cwd: app, input: fromCjs.code });
  check('the qvmin-restore bin puts the names back', restore.status === 0 && restore.stdout.toString().includes('addPrice(price)'),
    restore.stdout.toString() + restore.stderr.toString());

  // The contract of obfuscate() itself, run in the installed copy.
  fs.writeFileSync(path.join(app, 'contract.js'), `
    const { obfuscate } = require('qvmin');
    const a = [{ path: 'a.js', text: 'var a;' }];
    const badValues = [
      [{ sources: a, seed: {} }, 'seed: an object'],
      [{ sources: a, seed: true }, 'seed: a boolean'],
      [{ sources: a, syntax: 5 }, 'syntax: a number'],
      [{ sources: a, env: ['node'] }, 'env: an array'],
      [{ sources: a, kqn: 1 }, 'kqn: a number'],
      [{ sources: a, keep: 5 }, 'keep: a number'],
      [{ sources: a, keep: ['a', 7] }, 'keep[1]: a number'],
      [{ sources: a, sourceMap: 'yes' }, 'sourceMap: a string'],
      [{ sources: a, previousTranslation: {} }, 'previousTranslation: an object'],
      [{ sources: [{ path: 'a.js' }] }, 'sources[0].text: undefined'],
      [{ sources: [{ path: 'a.js', text: 12 }] }, 'sources[0].text: a number'],
      [{ sources: [{ path: 3, text: '' }] }, 'sources[0].path: a number'],
      [{ sources: [{ path: 'a\\nb.js', text: '' }] }, 'sources[0].path: a string'],
      [{ sources: [{ path: 'sources.txt', text: '' }] }, 'sources[0].path: a string'],
      [{ sources: ['a.js'] }, 'sources[0]: a string'],
    ];
    const results = badValues.map(([options, report]) => {
      const r = obfuscate(options);
      return r.ok === false && r.code === null && r.messages.endsWith('Invalid value for parameter ' + report + '\\nHELP: qvmin /?\\n')
        ? null : report + ' => ' + JSON.stringify(r);
    });
    const typeErrors = [undefined, null, 'a.js', {}, { sources: 'a.js' }].map((options) => {
      try { obfuscate(options); return 'no TypeError for ' + JSON.stringify(options); }
      catch (e) { return e instanceof TypeError && /sources|options/.test(e.message) ? null : String(e); }
    });
    const text = obfuscate({ sources: [{ path: 'a.js', text: 'let caf\\u00e9 = "\\u00e9";' }], syntax: 'modern', seed: 1, sourceMap: true });
    const raw = obfuscate({ sources: [{ path: 'a.js', text: 'let caf\\u00e9 = "\\u00e9";' }], syntax: 'modern', seed: 1, sourceMap: true, bytes: true });
    const decoded = ['code', 'translation', 'map'].every((f) => raw[f] instanceof Uint8Array && new TextDecoder().decode(raw[f]) === text[f]);
    process.stdout.write(JSON.stringify({ problems: results.concat(typeErrors).filter(Boolean), decoded, after: obfuscate({ sources: a }).ok }));
  `);
  const contract = node(['contract.js']);
  const outcome = contract.status === 0 ? JSON.parse(contract.stdout) : { problems: [contract.stderr.toString()] };
  check('values of the wrong type are reported, not thrown', outcome.problems.length === 0, outcome.problems.join('\n  '));
  check('a call after them runs as usual', outcome.after === true);
  check('strings are the UTF-8 decoding of the bytes', outcome.decoded === true);
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}
finish();
