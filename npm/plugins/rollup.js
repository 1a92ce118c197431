'use strict';
// rollup (and vite) plugin: obfuscates each rendered chunk in the modern grammar; rollup chains
// the returned source map to its own, and the translation file is emitted beside the chunk as
// <chunk>.translation.txt.
//
//   import qvmin from 'qvmin/plugins/rollup';
//   export default { input: 'src/main.js', output: { file: 'dist/app.js', format: 'iife', sourcemap: true },
//                    plugins: [qvmin({ keep: ['emptyCart'] })] };
const { obfuscate } = require('../index.js');
const { obfuscateOptions, translationFileOf } = require('./options.js');

function qvminRollup(pluginOptions = {}) {
  const translations = new Map();
  return {
    name: 'qvmin',
    renderStart() {
      translations.clear();
    },
    renderChunk(code, chunk) {
      const run = obfuscate(obfuscateOptions(pluginOptions, chunk.fileName, code));
      if (!run.ok) this.error('qvmin could not obfuscate ' + chunk.fileName + ':\n' + run.messages);
      translations.set(chunk.fileName, run.translation);
      return { code: run.code, map: JSON.parse(run.map) };
    },
    generateBundle() {
      for (const [fileName, translation] of translations) {
        this.emitFile({ type: 'asset', fileName: translationFileOf(fileName), source: translation });
      }
    },
  };
}

module.exports = qvminRollup;
module.exports.default = qvminRollup;
