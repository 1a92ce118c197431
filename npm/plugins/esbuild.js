'use strict';
// esbuild plugin: obfuscates each finished JavaScript bundle in the modern grammar, writes the
// translation file beside it (<bundle>.translation.txt) and a source map chained to esbuild's,
// so that positions lead back to the modules.
//
//   const qvmin = require('qvmin/plugins/esbuild');
//   await esbuild.build({ entryPoints: ['src/main.js'], bundle: true, outfile: 'dist/app.js',
//                         sourcemap: true, plugins: [qvmin({ keep: ['emptyCart'], seed: 1 })] });
const fs = require('fs');
const path = require('path');
const { obfuscate } = require('../index.js');
const { chainMaps } = require('../lib/chain-maps.js');
const { obfuscateOptions, translationFileOf } = require('./options.js');

const encoder = new TextEncoder();
const outputFile = (file, text) => ({ path: file, contents: encoder.encode(text), text, hash: '' });

function qvminEsbuild(pluginOptions = {}) {
  return {
    name: 'qvmin',
    setup(build) {
      const initial = build.initialOptions;
      const write = initial.write !== false;
      const mapWanted = initial.sourcemap !== undefined && initial.sourcemap !== false;
      // The bundle comes to onEnd in memory, with a map to chain to; the plugin writes it.
      initial.write = false;
      if (!mapWanted) initial.sourcemap = 'external';
      const linked = initial.sourcemap === true || initial.sourcemap === 'linked';
      build.onEnd((result) => {
        if (result.errors.length > 0 || !result.outputFiles) return;
        const byPath = new Map(result.outputFiles.map((file) => [file.path, file]));
        const files = [];
        for (const file of result.outputFiles) {
          if (/\.map$/.test(file.path) && byPath.has(file.path.slice(0, -4))) continue;
          if (!/\.[cm]?js$/.test(file.path)) {
            files.push(file);
            continue;
          }
          const name = path.basename(file.path);
          const options = obfuscateOptions(pluginOptions, name, file.text);
          if (linked) options.sourceMapUrl = name + '.map';
          const run = obfuscate(options);
          if (!run.ok) throw new Error('qvmin could not obfuscate ' + file.path + ':\n' + run.messages);
          files.push(outputFile(file.path, run.code), outputFile(translationFileOf(file.path), run.translation));
          const bundleMap = byPath.get(file.path + '.map');
          if (mapWanted && bundleMap) {
            const chained = chainMaps(JSON.parse(run.map), JSON.parse(bundleMap.text));
            files.push(outputFile(bundleMap.path, JSON.stringify(chained)));
          }
        }
        result.outputFiles = files;
        if (write) {
          for (const file of files) {
            fs.mkdirSync(path.dirname(file.path), { recursive: true });
            fs.writeFileSync(file.path, file.contents);
          }
        }
      });
    },
  };
}

module.exports = qvminEsbuild;
module.exports.default = qvminEsbuild;
