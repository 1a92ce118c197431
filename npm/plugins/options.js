'use strict';
// What the bundler plugins pass to obfuscate(): the bundle in the modern grammar, with the
// plugin's options that obfuscate() knows.
const PASSED = ['keep', 'env', 'kqn', 'seed', 'previousTranslation'];

// The bundle is read under another name than the output's, which may not overwrite its input;
// the map's source is the bundler's to name anyway, once the maps are chained.
function obfuscateOptions(pluginOptions, path, text) {
  const options = { sources: [{ path: 'bundle/' + path, text }], syntax: 'modern', sourceMap: true, outputPath: path };
  for (const name of PASSED) if (pluginOptions[name] !== undefined) options[name] = pluginOptions[name];
  return options;
}

// Where a bundle's translation file is written: beside it.
const translationFileOf = (file) => file + '.translation.txt';

module.exports = { obfuscateOptions, translationFileOf };
