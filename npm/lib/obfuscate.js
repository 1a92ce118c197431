'use strict';
// obfuscate() over the WebAssembly library: the sources and lists become files of the in-memory
// platform, the options a command line, and the files the run wrote come back as the result.
// No node API is needed here, so the playground page loads this file too.

// The files of a run. The inputs may not be named like a source: they would replace it.
const LIST = 'sources.txt';
const KEEP = 'keep.txt';
const PREVIOUS = 'previous-translation.txt';
const TRANSLATION = 'translation.txt';
const DEFAULT_OUTPUT = 'out.js';
const OUT_OF_MEMORY = '\nOut of memory: qvmin could not allocate the memory it needs!\n';

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// How a value of the wrong type is named in its report.
function describe(value) {
  if (Array.isArray(value)) return 'an array';
  if (value instanceof Uint8Array) return 'bytes';
  if (value === null || value === undefined) return String(value);
  const type = typeof value;
  return (type === 'object' ? 'an ' : 'a ') + type;
}

class BadValue {
  constructor(option, value) {
    this.option = option;
    this.value = describe(value);
  }
}

const isText = (value) => typeof value === 'string' || value instanceof Uint8Array;
const given = (value) => value !== undefined && value !== null;

// A command-line value; wrong types are reported, right ones go to the command line as they are,
// so that the tool reports what it does not take (`/seed -1`, `/syntax es5`).
function optionValue(option, value, accepted) {
  if (accepted.includes(typeof value)) return String(value);
  throw new BadValue(option, value);
}

// Checks the call and turns it into files and a command line.
function plan(options) {
  if (options === null || typeof options !== 'object') {
    throw new TypeError('obfuscate() takes one options object: obfuscate({sources: [{path, text}], ...})');
  }
  const { sources } = options;
  if (!Array.isArray(sources)) {
    throw new TypeError('obfuscate(): options.sources must be an array of {path, text} (got ' + describe(sources) + ')');
  }
  const files = new Map();
  const output = given(options.outputPath) ? optionValue('outputPath', options.outputPath, ['string']) : DEFAULT_OUTPUT;
  const args = ['qvmin', '/sflfp', LIST];
  sources.forEach((source, index) => {
    const name = 'sources[' + index + ']';
    if (source === null || typeof source !== 'object') throw new BadValue(name, source);
    const { path, text } = source;
    // A line break or NUL would change the list itself, and the library's own inputs would
    // be replaced: neither can be said with a file on disk either.
    if (typeof path !== 'string' || /[\r\n\0]/.test(path) || [LIST, KEEP, PREVIOUS].includes(path)) {
      throw new BadValue(name + '.path', path);
    }
    if (!isText(text)) throw new BadValue(name + '.text', text);
    files.set(path, text);
  });
  files.set(LIST, sources.map((source) => source.path).join('\n'));
  if (given(options.keep)) {
    const { keep } = options;
    if (Array.isArray(keep)) {
      keep.forEach((name, index) => {
        if (typeof name !== 'string') throw new BadValue('keep[' + index + ']', name);
      });
      files.set(KEEP, keep.join('\n'));
    } else if (isText(keep)) {
      files.set(KEEP, keep);
    } else {
      throw new BadValue('keep', keep);
    }
    args.push('/kelfp', KEEP);
  }
  args.push('/ofp', output, '/oktfp', TRANSLATION);
  if (given(options.syntax)) args.push('/syntax', optionValue('syntax', options.syntax, ['string']));
  if (given(options.env)) args.push('/env', optionValue('env', options.env, ['string']));
  if (given(options.kqn)) {
    const kqn = options.kqn;
    args.push('/kqn', typeof kqn === 'boolean' ? (kqn ? 'on' : 'off') : optionValue('kqn', kqn, ['string']));
  }
  let map = null;
  if (given(options.sourceMap)) {
    if (typeof options.sourceMap !== 'boolean') throw new BadValue('sourceMap', options.sourceMap);
    if (options.sourceMap) {
      map = output + '.map';
      args.push('/smfp', map);
    }
  }
  if (given(options.sourceMapUrl)) args.push('/smurl', optionValue('sourceMapUrl', options.sourceMapUrl, ['string']));
  if (given(options.previousTranslation)) {
    if (!isText(options.previousTranslation)) throw new BadValue('previousTranslation', options.previousTranslation);
    files.set(PREVIOUS, options.previousTranslation);
    args.push('/iktfp', PREVIOUS);
  }
  if (given(options.seed)) args.push('/seed', optionValue('seed', options.seed, ['number', 'bigint', 'string']));
  if (given(options.bytes) && typeof options.bytes !== 'boolean') throw new BadValue('bytes', options.bytes);
  return { files, args, outputs: { code: output, translation: TRANSLATION, map }, bytes: options.bytes === true };
}

// Bytes in and out of one module instance of the library.
class Heap {
  constructor(module) {
    this.module = module;
    this.allocations = [];
  }

  bytes() {
    return this.module.HEAPU8;
  }

  // Freed with the others by release().
  allocate(size) {
    const at = this.module._malloc(size) >>> 0;
    if (at === 0) throw new RangeError('out of memory');
    this.allocations.push(at);
    return at;
  }

  // A NUL-terminated copy of text.
  cString(text) {
    const encoded = encoder.encode(text);
    const at = this.allocate(encoded.length + 1);
    const heap = this.bytes();
    heap.set(encoded, at);
    heap[at + encoded.length] = 0;
    return at;
  }

  writeFile(path, text) {
    const name = this.cString(path);
    if (typeof text === 'string') {
      // Sized first, then encoded straight into the file: a large source is copied once.
      const size = typeof Buffer === 'function' ? Buffer.byteLength(text, 'utf8') : encoder.encode(text).length;
      const at = this.module._qvmin_file_create(name, size) >>> 0;
      encoder.encodeInto(text, this.bytes().subarray(at, at + size));
    } else {
      const at = this.module._qvmin_file_create(name, text.length) >>> 0;
      this.bytes().set(text, at);
    }
  }

  readFile(path, asBytes) {
    const name = this.cString(path);
    if (!this.module._qvmin_file_exists(name)) return null;
    const at = this.module._qvmin_file_data(name) >>> 0;
    return this.view(at, this.module._qvmin_file_size(name) >>> 0, asBytes);
  }

  printed() {
    return this.view(this.module._qvmin_printed_data() >>> 0, this.module._qvmin_printed_size() >>> 0, false);
  }

  view(at, size, asBytes) {
    const bytes = this.bytes().subarray(at, at + size);
    return asBytes ? bytes.slice() : decoder.decode(bytes);
  }

  release() {
    for (const at of this.allocations) this.module._free(at);
    this.allocations = [];
  }
}

function randomWord() {
  return (Math.random() * 0x100000000) >>> 0;
}

function execute(heap, run) {
  const { module } = heap;
  for (const [path, text] of run.files) heap.writeFile(path, text);
  const pointers = run.args.map((arg) => heap.cString(arg));
  const argv = heap.allocate(4 * pointers.length);
  new Uint32Array(heap.bytes().buffer, argv, pointers.length).set(pointers);
  const status = module._qvmin_run(pointers.length, argv);
  return {
    ok: status === 0,
    code: heap.readFile(run.outputs.code, run.bytes),
    translation: heap.readFile(run.outputs.translation, run.bytes),
    map: run.outputs.map === null ? null : heap.readFile(run.outputs.map, run.bytes),
    messages: heap.printed(),
  };
}

function reportBadValue(heap, bad) {
  heap.module._qvmin_report_bad_value(heap.cString(bad.option), heap.cString(bad.value));
  return { ok: false, code: null, translation: null, map: null, messages: heap.printed() };
}

// Runs work on a module emptied for it. A module that stopped (out of memory) is reported as the
// tool reports it and forgotten, so that the next call starts a fresh one.
function withModule(getModule, forget, work) {
  const heap = new Heap(getModule());
  try {
    heap.module._qvmin_reset(randomWord(), randomWord());
    const result = work(heap);
    heap.release();
    heap.module._qvmin_reset(0, 0);
    return result;
  } catch (error) {
    if (!(error instanceof WebAssembly.RuntimeError) && !(error instanceof RangeError)) throw error;
    let messages = '';
    try {
      messages = heap.printed();
    } catch (ignored) {
      // Nothing could be read back from the stopped module.
    }
    forget();
    return { ok: false, code: null, translation: null, map: null, messages: messages + OUT_OF_MEMORY };
  }
}

// obfuscate(options) over the modules that getModule() gives; forget() drops a stopped one.
function makeObfuscate(getModule, forget) {
  return function obfuscate(options) {
    let run;
    try {
      run = plan(options);
    } catch (error) {
      if (!(error instanceof BadValue)) throw error;
      return withModule(getModule, forget, (heap) => reportBadValue(heap, error));
    }
    return withModule(getModule, forget, (heap) => execute(heap, run));
  };
}

module.exports = { makeObfuscate };
