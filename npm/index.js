'use strict';
// The CommonJS entry: obfuscate() on the WebAssembly library, compiled when first called.
const createQvminLibrary = require('./dist/qvmin-library.js');
const { makeObfuscate } = require('./lib/obfuscate.js');

let module_ = null;

function libraryModule() {
  if (module_ === null) {
    // Compiled synchronously (the build asks for it): the object is complete on return.
    const instance = {};
    createQvminLibrary(instance);
    module_ = instance;
  }
  return module_;
}

const obfuscate = makeObfuscate(libraryModule, () => {
  module_ = null;
});

module.exports = { obfuscate };
