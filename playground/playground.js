'use strict';
// The playground: obfuscate() on the page's text each time it or an option changes.
(async function playground() {
  const $ = (id) => document.getElementById(id);
  const status = $('status');
  // Compiled asynchronously, as browsers want on the page's thread, then instantiated at once:
  // the library is built to be ready when its factory returns.
  const compiled = await WebAssembly.compileStreaming(fetch('qvmin-library.wasm'));
  const instantiateWasm = (imports, receive) => {
    const instance = new WebAssembly.Instance(compiled, imports);
    receive(instance);
    return instance.exports;
  };
  const load = () => createQvminLibrary({ instantiateWasm });
  let library = load();
  const obfuscate = module.exports.makeObfuscate(() => library, () => {
    library = load();
  });

  const encoder = new TextEncoder();
  const links = { code: $('download-code'), translation: $('download-translation'), map: $('download-map') };
  function offer(link, text, name) {
    if (link.href) URL.revokeObjectURL(link.href);
    if (text === null) {
      link.removeAttribute('href');
      return;
    }
    link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
    link.download = name;
  }

  function options() {
    const path = $('path').value || 'main.js';
    const chosen = { sources: [{ path, text: $('source').value }], syntax: $('syntax').value };
    if ($('env').value) chosen.env = $('env').value;
    if ($('kqn').value) chosen.kqn = $('kqn').value;
    if ($('seed').value.trim()) chosen.seed = $('seed').value.trim();
    const keep = $('keep').value.split('\n').map((name) => name.trim()).filter(Boolean);
    if (keep.length > 0) chosen.keep = keep;
    chosen.sourceMap = $('sourcemap').checked;
    // The output is named after the source, which it may not overwrite.
    chosen.outputPath = path.replace(/(\.[cm]?js)?$/, '.min.js');
    return chosen;
  }

  function run() {
    const chosen = options();
    const result = obfuscate(chosen);
    $('code').textContent = result.code || '';
    $('messages').textContent = result.messages;
    status.textContent = result.ok ? 'done' : 'failed: see the messages';
    status.className = result.ok ? '' : 'failed';
    const rows = (result.translation || '').split('\r\n').filter(Boolean).map((line) => {
      const comma = line.indexOf(',');
      const row = document.createElement('tr');
      for (const text of [line.slice(0, comma), line.slice(comma + 1)]) {
        const cell = document.createElement('td');
        cell.textContent = text;
        row.append(cell);
      }
      return row;
    });
    $('translation').tBodies[0].replaceChildren(...rows);
    const inputSize = encoder.encode($('source').value).length;
    const outputSize = encoder.encode(result.code || '').length;
    $('sizes').textContent = result.ok
      ? `${inputSize} bytes in, ${outputSize} bytes out (${inputSize ? Math.round((100 * outputSize) / inputSize) : 0} %), ` +
        `${rows.length} names replaced`
      : '';
    offer(links.code, result.code, chosen.outputPath);
    offer(links.translation, result.translation, 'translation.txt');
    offer(links.map, result.map, chosen.outputPath + '.map');
  }

  let pending = 0;
  const soon = () => {
    clearTimeout(pending);
    pending = setTimeout(run, 150);
  };
  for (const id of ['path', 'source', 'seed', 'keep']) $(id).addEventListener('input', soon);
  for (const id of ['syntax', 'env', 'kqn', 'sourcemap']) $(id).addEventListener('change', soon);
  $('run').addEventListener('click', run);
  $('run').disabled = false;
  status.textContent = 'ready';
  document.body.dataset.ready = 'true';
})().catch((error) => {
  const status = document.getElementById('status');
  status.textContent = 'the WebAssembly module could not be loaded: ' + error;
  status.className = 'failed';
});
