// The names that a node program reaches by name: node's globals and module scope, the members of
// process, Buffer and the module system, the exports of the core modules with the members of the
// classes and namespaces they export, the fields of the objects their common calls return, and the
// options and callbacks that they read from the program's objects. Run in a scratch directory; it
// prints the names as a JSON array. The ECMAScript names are left in; the driver subtracts them.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { builtinModules } = require('module');
const { createNameSet, tryValue } = require('./names-common.js');

// Module scope names: bound by the module wrapper, not on the global object.
const MODULE_SCOPE = ['require', 'module', 'exports', '__dirname', '__filename'];

// Modules that are only reachable with the node: scheme, so builtinModules leaves them out.
const SCHEME_ONLY_MODULES = ['node:sea', 'node:sqlite', 'node:test', 'node:test/reporters'];

// Names that programs read by name but that no object here holds: the fields that a terminal
// stream gets only when it is a terminal, and the one environment variable that libraries and
// build tools read through process.env by convention.
const UNREACHABLE = ['NODE_ENV', 'columns', 'isRaw', 'isTTY', 'rows'];

// Names with a leading underscore are node's internals, which a program does not reach by name,
// except the methods that a stream implementation provides for node to call, and the module
// scope's own two.
const UNDERSCORE_API = new Set([
  '__dirname', '__filename', '_construct', '_destroy', '_final', '_flush', '_read', '_transform',
  '_write', '_writev',
]);

function collectNodeNames() {
  const set = createNameSet();
  MODULE_SCOPE.forEach(set.add);
  UNREACHABLE.forEach(set.add);
  UNDERSCORE_API.forEach(set.add);
  // The environment's variables and the build's configuration belong to this machine.
  set.exclude(process.env);
  set.exclude(process.config);

  // Globals that node adds to the language's, with their members.
  const standard = new Set(Object.getOwnPropertyNames(require('vm').runInNewContext('this')));
  for (const name of Object.getOwnPropertyNames(globalThis)) {
    if (standard.has(name)) continue;
    set.add(name);
    const d = Object.getOwnPropertyDescriptor(globalThis, name);
    set.walk(d && 'value' in d ? d.value : tryValue(() => globalThis[name]), 1);
  }

  // The module system as a module sees it.
  set.walk(module, 1);
  set.walk(require, 1);

  // process, with the objects its methods return and its standard streams.
  set.walk(process, 1);
  set.walk(process.stdout, 0);
  set.walk(process.stderr, 0);
  for (const method of ['memoryUsage', 'resourceUsage', 'cpuUsage', 'uptime', 'hrtime', 'getActiveResourcesInfo']) {
    set.walk(tryValue(() => process[method]()), 0);
  }

  // Every core module: its exports, the members of the classes and functions it exports, and
  // one level further into the namespace objects among them (fs.constants, path.posix,
  // util.types, os.constants.signals, ...).
  const modules = builtinModules.filter((name) => !name.startsWith('_'));
  for (const name of modules.concat(SCHEME_ONLY_MODULES)) {
    const exports = tryValue(() => require(name));
    if (exports === undefined) continue;
    set.walk(exports, 2);
  }

  // Objects whose fields are set per instance, which the walks above do not reach.
  const http = require('http');
  const net = require('net');
  const stream = require('stream');
  const events = require('events');
  const util = require('util');
  const childProcess = require('child_process');
  const url = require('url');
  const zlib = require('zlib');
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'names-'));
  fs.writeFileSync(path.join(scratch, 'a'), '');
  const socket = new net.Socket();
  const request = new http.IncomingMessage(socket);
  const instances = [
    fs.statSync(scratch),
    fs.readdirSync(scratch, { withFileTypes: true })[0],
    tryValue(() => fs.statfsSync(scratch)),
    os.userInfo(),
    os.cpus()[0],
    os.cpus()[0].times,
    Object.values(os.networkInterfaces())[0]?.[0],
    path.parse('/a/b.c'),
    url.parse('http://u:p@a:1/b?c=d#e', true),
    childProcess.spawnSync(process.execPath, ['-e', '']),
    new childProcess.ChildProcess(),
    socket,
    request,
    new http.ServerResponse(request),
    http.createServer(),
    new http.Agent(),
    new events.EventEmitter(),
    new stream.Readable(),
    new stream.Writable(),
    new stream.Duplex(),
    new stream.Transform(),
    zlib.createGzip(),
    util.inspect.defaultOptions,
    tryValue(() => fs.readFileSync(path.join(scratch, 'missing'))),
    ...['readFileSync', 'renameSync'].map((f) => {
      try {
        fs[f](path.join(scratch, 'missing'), path.join(scratch, 'other'));
      } catch (e) {
        return e;
      }
      return undefined;
    }),
    tryValue(() => new URL('http://a/').searchParams),
  ];
  for (const instance of instances) set.walk(instance, 0);
  socket.destroy();

  // Options and callbacks that node reads from the program's objects.
  const target = path.join(scratch, 'b');
  const uses = [
    (o) => new stream.Readable(o),
    (o) => new stream.Writable(o),
    (o) => new stream.Duplex(o),
    (o) => new stream.Transform(o),
    (o) => stream.Readable.from([], o),
    (o) => new stream.Readable().pipe(new stream.Writable(), o),
    (o) => stream.finished(new stream.Readable(), o, () => {}),
    (o) => new events.EventEmitter(o),
    (o) => events.once(new events.EventEmitter(), 'e', o),
    (o) => http.createServer(o),
    (o) => new http.Agent(o),
    (o) => net.createServer(o),
    (o) => util.inspect({}, o),
    (o) => util.parseArgs(o),
    (o) => util.format('%o', o),
    (o) => util.promisify(o),
    (o) => util.styleText?.('red', 'x', o),
    (o) => zlib.createGzip(o),
    (o) => zlib.createBrotliCompress(o),
    (o) => fs.readFileSync(path.join(scratch, 'a'), o),
    (o) => fs.writeFileSync(target, '', o),
    (o) => fs.appendFileSync(target, '', o),
    (o) => fs.readdirSync(scratch, o),
    (o) => fs.mkdirSync(path.join(scratch, 'd'), o),
    (o) => fs.rmSync(path.join(scratch, 'd'), o),
    (o) => fs.cpSync(target, path.join(scratch, 'c'), o),
    (o) => fs.createReadStream(target, o).destroy(),
    (o) => fs.createWriteStream(path.join(scratch, 'w'), o).destroy(),
    (o) => fs.mkdtempSync(path.join(scratch, 't'), o),
    (o) => fs.openAsBlob?.(target, o),
    (o) => childProcess.spawnSync(process.execPath, ['-e', ''], o),
    (o) => childProcess.execSync('true', o),
    (o) => childProcess.execFileSync(process.execPath, ['-e', ''], o),
    (o) => require('readline').createInterface(o),
    (o) => require('crypto').createHash('sha256', o),
    (o) => require('crypto').randomUUID(o),
    (o) => require('assert').deepStrictEqual(0, 0, o),
    (o) => require('worker_threads').receiveMessageOnPort?.(o),
    (o) => require('os').userInfo(o),
    (o) => url.format(o),
    (o) => url.fileURLToPath(o),
    (o) => path.format(o),
    (o) => new (require('string_decoder').StringDecoder)(o),
    (o) => require('dns').lookup('localhost', o, () => {}),
    (o) => require('timers/promises').setTimeout(0, 0, o),
    (o) => structuredClone(0, o),
    (o) => new TextDecoder('utf-8', o),
    (o) => new TextDecoder().decode(new Uint8Array(), o),
    (o) => new Blob([], o),
    (o) => new Response('', o),
    (o) => new Request('http://localhost/', o),
    (o) => new Headers(o),
    (o) => new EventTarget().addEventListener('e', () => {}, o),
    (o) => {
      const t = new EventTarget();
      t.addEventListener('e', o);
      t.dispatchEvent(new Event('e'));
    },
    (o) => new Event('e', o),
    (o) => new ReadableStream(o),
    (o) => new ReadableStream({}, o),
    (o) => new WritableStream(o),
    (o) => new TransformStream(o),
    (o) => new ReadableStream().getReader(o),
    (o) => new ReadableStream().pipeTo(new WritableStream(), o),
    (o) => performance.mark('m', o),
    (o) => performance.measure('m', o),
  ];
  for (const use of uses) set.recordReads(use);

  fs.rmSync(scratch, { recursive: true, force: true });
  return set;
}

const set = collectNodeNames();
const names = [...set.names].filter((name) => !name.startsWith('_') || UNDERSCORE_API.has(name));
process.stdout.write(JSON.stringify({ names, dropped: set.dropped }));
// Handles that some walks opened (a server, a socket, an agent) must not keep the process alive.
process.exit(0);
