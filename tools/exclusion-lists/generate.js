// Collects the names of the language, of node and of the browser from the runtimes themselves and
// writes the exclusion lists:
//   javascript.txt  the language: words, standard built-ins and their members
//   common.txt      names that node and the browser both have, beyond the language
//   node.txt        node's own
//   browser.txt     the browser's own
// Every list is sorted, holds each name once, leaves out qvmin's built-in keywords, and shares no
// name with another list, so that any combination of them concatenated is one valid list.
//
// Usage: node generate.js --out DIR --keywords KEYWORD_TABLE_SOURCE --chromium BINARY --work DIR
'use strict';

const fs = require('fs');
const path = require('path');
const { spawn, spawnSync } = require('child_process');
const { IDENTIFIER, collectEcmaScriptNames } = require('./names-common.js');

function parseArguments(argv) {
  const options = {};
  for (let i = 0; i < argv.length; i += 2) {
    if (!argv[i].startsWith('--') || argv[i + 1] === undefined) throw new Error(`bad argument ${argv[i]}`);
    options[argv[i].slice(2)] = argv[i + 1];
  }
  for (const required of ['out', 'keywords', 'chromium', 'work']) {
    if (!options[required]) throw new Error(`--${required} is required`);
  }
  return options;
}

// The built-in keywords: the quoted names of the reserved keyword array.
function readBuiltInKeywords(source) {
  const text = fs.readFileSync(source, 'utf8');
  const array = /kReservedKeywords\[\]\s*=\s*\{([^}]*)\}/.exec(text);
  if (!array) throw new Error(`no reserved keyword array in ${source}`);
  const names = [...array[1].matchAll(/"([^"]*)"/g)].map((m) => m[1]);
  if (names.length < 100) throw new Error(`only ${names.length} reserved keywords in ${source}`);
  return new Set(names);
}

function run(command, args, options) {
  const result = spawnSync(command, args, { encoding: 'utf8', maxBuffer: 256 << 20, ...options });
  if (result.error) throw result.error;
  if (result.status !== 0) {
    throw new Error(`${command} exited with ${result.status}\n${result.stderr}`);
  }
  return result.stdout;
}

function collectNodeNames(work) {
  const script = path.join(__dirname, 'node-names.js');
  const output = run(process.execPath, ['--no-warnings', '--no-deprecation', script], {
    cwd: work,
    timeout: 120000,
  });
  return JSON.parse(output);
}

// Talks to a headless browser over the DevTools protocol on a pipe: NUL-terminated JSON messages,
// commands on the browser's descriptor 3, answers and events on its descriptor 4.
function startBrowser(chromium, work, url) {
  const profile = fs.mkdtempSync(path.join(work, 'profile-'));
  const log = fs.openSync(path.join(work, 'chromium.log'), 'w');
  const child = spawn(chromium, [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    `--user-data-dir=${profile}`, '--remote-debugging-pipe', url,
  ], { stdio: ['ignore', log, log, 'pipe', 'pipe'] });
  const pending = new Map();
  let nextId = 1;
  let buffer = '';
  let failure = null;
  const failAll = (error) => {
    failure = failure || error;
    for (const { reject } of pending.values()) reject(failure);
    pending.clear();
  };
  child.on('error', failAll);
  child.on('exit', (code, signal) => failAll(new Error(`the browser ended (${code ?? signal})`)));
  child.stdio[4].setEncoding('utf8');
  child.stdio[4].on('data', (chunk) => {
    buffer += chunk;
    for (let end = buffer.indexOf('\0'); end >= 0; end = buffer.indexOf('\0')) {
      const message = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      const waiter = pending.get(message.id);
      if (!waiter) continue;
      pending.delete(message.id);
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
    }
  });
  function send(method, params = {}, sessionId) {
    if (failure) return Promise.reject(failure);
    const id = nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    child.stdio[3].write(`${JSON.stringify(message)}\0`);
    return new Promise((resolve, reject) => pending.set(id, { resolve, reject, method }));
  }
  function stop() {
    child.removeAllListeners('exit');
    if (child.exitCode === null) child.kill('SIGKILL');
    fs.closeSync(log);
  }
  return { send, stop };
}

function withTimeout(promise, ms, what) {
  let timer;
  const timeout = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`${what} took longer than ${ms / 1000} s`)), ms);
  });
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

// Runs the browser walk in a page of a fresh headless profile. The scripts are inlined, since a
// page opened from a file may not load modules.
async function collectBrowserNames(chromium, work) {
  const scripts = ['names-common.js', 'browser-names.js'].map((file) => {
    const text = fs.readFileSync(path.join(__dirname, file), 'utf8');
    if (/<\/script/i.test(text)) throw new Error(`${file} cannot be inlined`);
    return `<script>\n${text}</script>`;
  });
  const page = `<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>names</title></head><body>
<script>const pristineGlobals = new Set(Object.getOwnPropertyNames(globalThis));</script>
${scripts.join('\n')}
<script>
window.namesResult = (async () => {
  const es = await qvminNames.collectEcmaScriptNames(globalThis);
  const pageGlobals = Object.getOwnPropertyNames(globalThis).filter((name) => !pristineGlobals.has(name));
  const browser = await collectBrowserNames(globalThis, pageGlobals);
  return { ecmascript: [...es.names], browser: [...browser.names], dropped: es.dropped + browser.dropped };
})();
</script>
</body></html>
`;
  const pageFile = path.join(work, 'names.html');
  fs.writeFileSync(pageFile, page);
  const browser = startBrowser(chromium, work, `file://${pageFile}`);
  try {
    const version = await withTimeout(browser.send('Browser.getVersion'), 60000, 'starting the browser');
    let target;
    for (let i = 0; i < 100 && !target; i += 1) {
      const { targetInfos } = await browser.send('Target.getTargets');
      target = targetInfos.find((t) => t.type === 'page' && t.url.endsWith('/names.html'));
      if (!target) await new Promise((resolve) => setTimeout(resolve, 100));
    }
    if (!target) throw new Error('the browser opened no page');
    const { sessionId } = await browser.send('Target.attachToTarget', { targetId: target.targetId, flatten: true });
    // The page may still be replacing the blank document it started with; then the evaluation
    // loses its context and is repeated.
    let evaluation;
    for (let attempt = 1; !evaluation; attempt += 1) {
      try {
        evaluation = await withTimeout(browser.send('Runtime.evaluate', {
          expression: `(async () => {
            while (!window.namesResult) await new Promise((resolve) => setTimeout(resolve, 50));
            return JSON.stringify(await window.namesResult);
          })()`,
          awaitPromise: true,
          returnByValue: true,
        }, sessionId), 300000, 'the browser page');
      } catch (e) {
        if (attempt >= 5 || !/context was destroyed|Cannot find context/.test(e.message)) throw e;
        await new Promise((resolve) => setTimeout(resolve, 200));
      }
    }
    if (evaluation.exceptionDetails) {
      const e = evaluation.exceptionDetails;
      throw new Error(`the browser page failed: ${e.exception?.description || e.text}`);
    }
    await browser.send('Browser.close').catch(() => {});
    return { ...JSON.parse(evaluation.result.value), version: version.product };
  } finally {
    browser.stop();
  }
}

function writeList(file, names) {
  const sorted = [...names].sort();
  for (const name of sorted) {
    if (!IDENTIFIER.test(name)) throw new Error(`not an identifier: ${JSON.stringify(name)}`);
  }
  fs.writeFileSync(file, sorted.map((name) => `${name}\n`).join(''));
  return sorted.length;
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const builtIn = readBuiltInKeywords(options.keywords);

  const esNode = await collectEcmaScriptNames(globalThis);
  const node = collectNodeNames(options.work);
  const browser = await collectBrowserNames(options.chromium, options.work);

  // The language as either runtime knows it: the browser's engine is usually the newer one.
  const javascript = new Set([...esNode.names, ...browser.ecmascript]);
  const notOwn = (name) => !javascript.has(name) && !builtIn.has(name) && IDENTIFIER.test(name);
  const nodeNames = new Set(node.names.filter(notOwn));
  const browserNames = new Set(browser.browser.filter(notOwn));
  const common = new Set([...nodeNames].filter((name) => browserNames.has(name)));

  const lists = {
    'javascript.txt': [...javascript].filter((name) => !builtIn.has(name)),
    'common.txt': [...common],
    'node.txt': [...nodeNames].filter((name) => !common.has(name)),
    'browser.txt': [...browserNames].filter((name) => !common.has(name)),
  };
  fs.mkdirSync(options.out, { recursive: true });
  for (const [file, names] of Object.entries(lists)) {
    const count = writeList(path.join(options.out, file), names);
    console.log(`${String(count).padStart(6)} ${path.join(options.out, file)}`);
  }
  console.log(`names that are no identifier, left out: ${esNode.dropped + node.dropped + browser.dropped}`);
  console.log(`from node ${process.version} and ${browser.version}`);
}

main().catch((e) => {
  console.error(`generate-exclusion-lists: ${e.message}`);
  process.exit(1);
});
