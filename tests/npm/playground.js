#!/usr/bin/env node
// The playground page in headless Chromium (Debian's), driven by puppeteer-core: code typed into
// the page and options chosen there give the output, translation and map that obfuscate() gives
// in node; the sizes are shown and the three downloads hold the same bytes. A screenshot is
// saved in build/npm-artefacts/playground.png.
//
//   node playground.js --package DIR --modules NODE_MODULES
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { check, fail, finish } = require('./checks');

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const packageDir = path.resolve(args.package);
const pageDir = path.join(path.dirname(packageDir), 'playground');
const puppeteer = require(path.join(path.resolve(args.modules), 'puppeteer-core'));
const { obfuscate } = require(packageDir);
const artefacts = path.resolve(__dirname, '../../build/npm-artefacts');
const chromium = ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find((file) => fs.existsSync(file));


// The page's files, on a port of the loopback address.
function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const file = path.join(pageDir, path.normalize(decodeURIComponent(request.url.split('?')[0])).replace(/^\/+$/, 'index.html'));
    if (!file.startsWith(pageDir) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'content-type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

const source = [
  'class Basket {',
  '  #cents = 0;',
  '  addPrice(price) { this.#cents += Math.round(price * 100); }',
  '  get priceTag() { return `$${(this.#cents / 100).toFixed(2)}`; }',
  '}',
  'const basket = new Basket();',
  'basket.addPrice(12.5);',
  'console.log(basket.priceTag);',
].join('\n');

async function main() {
  if (!chromium) {
    console.log('skipped: Chromium is not installed (apt-get install chromium); .ci/run installs it');
    process.exit(77);
  }
  const server = await serve();
  const browser = await puppeteer.launch({ executablePath: chromium, headless: true, args: ['--no-sandbox', '--disable-gpu'] });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    await page.setViewport({ width: 1280, height: 900 });
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    await page.waitForSelector('body[data-ready="true"]', { timeout: 30000 });
    await page.type('#source', source);
    await page.select('#syntax', 'modern');
    await page.type('#seed', '42');
    await page.type('#keep', 'priceTag');
    await page.click('#run');
    await page.waitForFunction(() => document.getElementById('status').textContent === 'done');
    const shown = await page.evaluate(async () => {
      const text = (id) => document.getElementById(id).textContent;
      const download = async (id) => {
        const link = document.getElementById(id);
        return { name: link.download, text: await (await fetch(link.href)).text() };
      };
      return {
        code: text('code'),
        sizes: text('sizes'),
        rows: [...document.querySelectorAll('#translation tbody tr')].map((row) => [...row.cells].map((c) => c.textContent).join(',')),
        downloads: [await download('download-code'), await download('download-translation'), await download('download-map')],
      };
    });
    const expected = obfuscate({ sources: [{ path: 'main.js', text: source }], syntax: 'modern', seed: '42', keep: ['priceTag'],
      sourceMap: true, outputPath: 'main.min.js' });
    check('the page shows the output obfuscate() gives', expected.ok && shown.code === expected.code, `${shown.code}\n--- node:\n${expected.code}`);
    check('the translation table lists its lines', shown.rows.join('\r\n') + '\r\n' === expected.translation, shown.rows.join('\n'));
    check('the kept name stays', shown.code.includes('.priceTag') && !shown.rows.some((row) => row.endsWith(',priceTag')));
    const inputSize = Buffer.byteLength(source);
    check('the sizes are shown', shown.sizes.startsWith(`${inputSize} bytes in, ${Buffer.byteLength(expected.code)} bytes out`), shown.sizes);
    const [code, translation, map] = shown.downloads;
    check('the three downloads hold the output, translation and map',
      code.text === expected.code && translation.text === expected.translation && map.text === expected.map &&
      code.name === 'main.min.js' && map.name === 'main.min.js.map', JSON.stringify(shown.downloads.map((d) => d.name)));

    // A failing run shows the tool's report.
    await page.$eval('#seed', (input) => { input.value = ''; });
    await page.type('#seed', '-1');
    await page.click('#run');
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('failed'));
    const report = await page.$eval('#messages', (pre) => pre.textContent);
    check('a bad option value shows the report', report.includes('Invalid value for parameter /seed: -1'), report);
    await page.$eval('#seed', (input) => { input.value = '42'; });
    await page.click('#run');
    await page.waitForFunction(() => document.getElementById('status').textContent === 'done');
    fs.mkdirSync(artefacts, { recursive: true });
    await page.screenshot({ path: path.join(artefacts, 'playground.png'), fullPage: true });
    check('no error on the page', errors.length === 0, errors.join('\n'));
  } finally {
    await browser.close();
    server.close();
  }
}

main()
  .catch(fail)
  .finally(finish);
