// The exclusion list generator's node side: the name set helpers, the language walk and the node
// walk. The browser side needs Chromium and is exercised by running the generator itself.
// Run: node --test tests/share/
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const os = require('node:os');
const path = require('node:path');
const fs = require('node:fs');
const { spawnSync } = require('node:child_process');

const tools = path.join(__dirname, '..', '..', 'tools', 'exclusion-lists');
const { createNameSet, collectEcmaScriptNames } = require(path.join(tools, 'names-common.js'));

function assertHasAll(names, expected) {
  const missing = expected.filter((name) => !names.has(name));
  assert.deepStrictEqual(missing, [], `missing: ${missing.join(' ')}`);
}

test('name sets keep identifiers only, honour exclusions and record reads up to a throw', () => {
  const set = createNameSet();
  ['ok', '$_x1', 'a-b', '0a', 'café', ''].forEach(set.add);
  assert.deepStrictEqual([...set.names].sort(), ['$_x1', 'ok']);
  assert.strictEqual(set.dropped, 4);

  const secret = { secretName: { deeperName: 1 } };
  set.exclude(secret);
  set.walk({ visible: secret }, 3);
  assert.ok(set.names.has('visible'));
  assert.ok(!set.names.has('secretName') && !set.names.has('deeperName'));

  set.recordReads((o) => {
    if ('probed' in o || o.before) throw new Error('stop');
    return o.after;
  }, { before: true });
  assertHasAll(set.names, ['before', 'probed']);
  assert.ok(!set.names.has('after'));
});

test('the language walk reaches words, members, intrinsics and protocol names', { timeout: 20000 }, async () => {
  const { names } = await collectEcmaScriptNames(globalThis);
  assertHasAll(names, [
    'instanceof', 'let', 'yield', 'await', 'of', 'undefined', 'globalThis', // words and globals
    'charCodeAt', 'then', 'keys', 'stringify', 'isArray', 'BYTES_PER_ELEMENT', // members
    'Collator', 'resolvedOptions', 'maximumFractionDigits', 'DisplayNames', // Intl, one level down
    'next', 'done', 'value', 'lastIndex', 'groups', 'raw', 'errors', // intrinsics and instances
    'cause', 'toJSON', 'enumerable', 'writable', 'status', 'reason', // read from the program's objects
  ]);
  for (const name of names) assert.match(name, /^[A-Za-z_$][A-Za-z0-9_$]*$/);
  // Node's own globals are no part of the language.
  assert.ok(!names.has('process') && !names.has('Buffer') && !names.has('require'));
});

test('the node walk reaches the module API and leaves out the machine and the internals', { timeout: 60000 }, () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'node-names-test-'));
  try {
    const result = spawnSync(process.execPath, ['--no-warnings', '--no-deprecation', path.join(tools, 'node-names.js')], {
      cwd: scratch,
      encoding: 'utf8',
      env: { ...process.env, PLANTED_ENVIRONMENT_NAME: '1' },
      maxBuffer: 64 << 20,
    });
    assert.strictEqual(result.status, 0, result.stderr);
    const names = new Set(JSON.parse(result.stdout).names);
    assertHasAll(names, [
      'require', 'module', 'exports', '__dirname', '__filename', 'process', 'Buffer', 'setImmediate',
      'readFileSync', 'createServer', 'setHeader', 'writeHead', 'on', 'emit', 'argv', 'env', 'cwd',
      'isFile', 'mtimeMs', 'ENOENT', 'syscall', 'highWaterMark', 'objectMode', '_transform', '_read',
    ]);
    assert.ok(!names.has('PLANTED_ENVIRONMENT_NAME'), 'an environment variable got in');
    assert.ok(!names.has('_events') && !names.has('_handle'), 'node internals got in');
    assert.ok(![...names].some((name) => name.startsWith('node_shared')), 'build configuration got in');
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
});
