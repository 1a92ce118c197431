#!/usr/bin/env node
// The bundler plugins on a small app of four modules (app/src): esbuild (JS API) and rollup each
// bundle it plain and with the plugin; both bundles must print the same under node, the plugin's
// must have its names replaced and its translation file beside it, and its source map must lead
// every named position back to that name in a module.
//
//   node bundlers.js --package DIR --modules NODE_MODULES
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { check, fail, finish } = require('./checks');
const { execFileSync } = require('child_process');

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const packageDir = path.resolve(args.package);
const modules = path.resolve(args.modules);
const esbuild = require(path.join(modules, 'esbuild'));
const { rollup } = require(path.join(modules, 'rollup'));
const { SourceMapConsumer } = require(path.join(modules, 'source-map'));
const qvminEsbuild = require(path.join(packageDir, 'plugins/esbuild.js'));
const qvminRollup = require(path.join(packageDir, 'plugins/rollup.js'));

const entry = path.join(__dirname, 'app/src/main.js');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qvmin-bundlers-'));

const bundlers = {
  async esbuild(outfile, plugins) {
    await esbuild.build({ entryPoints: [entry], bundle: true, format: 'iife', outfile, sourcemap: true, plugins, logLevel: 'silent' });
  },
  async rollup(file, plugins) {
    const bundle = await rollup({ input: entry, plugins });
    await bundle.write({ file, format: 'iife', sourcemap: true });
    await bundle.close();
  },
};


// Every named position of the map, and where it leads.
async function namedMappings(mapText) {
  const named = [];
  await SourceMapConsumer.with(JSON.parse(mapText), null, (consumer) => {
    consumer.eachMapping((m) => {
      if (m.name) named.push({ name: m.name, source: m.source, line: m.originalLine, column: m.originalColumn });
    });
  });
  return named;
}

async function main() {
  for (const [bundler, build] of Object.entries(bundlers)) {
    const dir = path.join(work, bundler);
    const plain = path.join(dir, 'plain.js');
    const app = path.join(dir, 'app.js');
    await build(plain, []);
    await build(app, [(bundler === 'esbuild' ? qvminEsbuild : qvminRollup)({ seed: 7 })]);
    const expected = execFileSync(process.execPath, [plain]).toString();
    const got = execFileSync(process.execPath, [app]).toString();
    check(`${bundler}: the obfuscated bundle prints what the plain one does`, got === expected && expected.includes('total $'),
      `${got}\n--- plain:\n${expected}`);
    const code = fs.readFileSync(app, 'utf8');
    const translation = fs.readFileSync(app + '.translation.txt', 'utf8');
    const renamed = ['describeLines', 'totalCents', 'unitCents', 'toCents', 'Cart'];
    check(`${bundler}: names replaced and listed in the translation file`,
      renamed.every((name) => !new RegExp(`\\b${name}\\b`).test(code) && translation.includes(',' + name + '\r\n')), translation);
    check(`${bundler}: the source map is linked`, code.trimEnd().endsWith('//# sourceMappingURL=app.js.map'));
    const named = await namedMappings(fs.readFileSync(app + '.map', 'utf8'));
    const wrong = named.filter(({ name, source, line, column }) => {
      const file = path.resolve(dir, source);
      if (!file.startsWith(path.dirname(entry))) return true;
      // A private name's segment starts at its #.
      const text = fs.readFileSync(file, 'utf8').split('\n')[line - 1];
      return !text.startsWith(name, column) && !text.startsWith('#' + name, column);
    });
    check(`${bundler}: every named position leads to that name in a module (${named.length})`,
      named.length >= 30 && wrong.length === 0, JSON.stringify(wrong.slice(0, 5)));
  }
}

main()
  .catch(fail)
  .finally(() => {
    fs.rmSync(work, { recursive: true, force: true });
    finish();
  });
