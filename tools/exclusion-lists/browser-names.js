// The names that a page's script reaches by name: the global object's members (every interface
// object with its static members and its prototype chain, every namespace and singleton object
// with its members), the style properties of an element, and the names of the dictionaries,
// callbacks and protocol methods that the platform reads from the script's own objects.
// A classic script for the generator's page, after names-common.js; the ECMAScript names are left
// in, the driver subtracts them.
(function (root) {
  'use strict';

  const { createNameSet, tryValue } = root.qvminNames;

  // Constructors that would reach out of the page (a connection, a worker, a notification) when
  // called with junk, which the dictionary probe below does to every other one.
  const NOT_CONSTRUCTED = new Set([
    'EventSource', 'Notification', 'SharedWorker', 'WebSocket', 'WebSocketStream', 'WebTransport',
    'Worker',
  ]);

  // Values for the required members of event dictionaries, so that a constructor reads on past them.
  const REQUIRED_MEMBER_VALUES = {
    data: () => new Blob([]),
    error: () => new DOMException(),
    message: () => new ArrayBuffer(0),
    messageType: () => 'license-request',
    promise: () => Promise.resolve(),
    reason: () => 'x',
    track: () => null,
  };

  function dispose(object) {
    for (const method of ['close', 'terminate', 'stop', 'abort', 'disconnect']) {
      if (object && typeof object[method] === 'function') {
        try {
          const result = object[method]();
          if (result && typeof result.catch === 'function') result.catch(() => {});
        } catch (e) {
          // Not in a state to be closed.
        }
        return;
      }
    }
  }

  // Calls the constructor with a recording object in the usual places of an options dictionary:
  // first (new URLPattern(init)), after a name (new KeyboardEvent(type, init)) and after a
  // callback (new IntersectionObserver(callback, options)). A required member that is missing
  // stops the conversion, so it is supplied and the call repeated.
  function probeConstructor(set, Constructor) {
    const shapes = [
      (o) => new Constructor(o),
      (o) => new Constructor('x', o),
      (o) => new Constructor(() => {}, o),
    ];
    for (const shape of shapes) {
      const base = {};
      for (let attempt = 0; attempt < 4; attempt += 1) {
        let missing = null;
        set.recordReads((o) => {
          try {
            dispose(shape(o));
          } catch (e) {
            const m = /required member (\w+) is undefined/.exec(String(e && e.message));
            if (m && REQUIRED_MEMBER_VALUES[m[1]] && !(m[1] in base)) missing = m[1];
            throw e;
          }
        }, base);
        if (!missing) break;
        base[missing] = REQUIRED_MEMBER_VALUES[missing]();
      }
    }
  }

  // pageGlobals: the names that the generator's page itself put on the global object.
  async function collectBrowserNames(global, pageGlobals) {
    const set = createNameSet();
    const document = global.document;
    const own = new Set(pageGlobals);

    // The global object: its own members and its prototype chain, and what each member leads to.
    set.addChain(Object.getPrototypeOf(global));
    const constructors = [];
    for (const name of Object.getOwnPropertyNames(global)) {
      if (own.has(name)) continue;
      set.add(name);
      const d = Object.getOwnPropertyDescriptor(global, name);
      const value = d && 'value' in d ? d.value : tryValue(() => global[name]);
      if (value === global) continue;
      set.walk(value, 1);
      if (typeof value === 'function' && /^[A-Z]/.test(name) && !NOT_CONSTRUCTED.has(name)) {
        constructors.push(value);
      }
    }

    // Instances with members of their own: an element's style declaration holds the style
    // properties, an event its trusted flag.
    const div = document.createElement('div');
    document.body.appendChild(div);
    const canvas = document.createElement('canvas');
    const samples = [
      div,
      div.style,
      getComputedStyle(div),
      document.createElement('input'),
      canvas,
      canvas.getContext('2d'),
      new Event('x'),
      new MouseEvent('x'),
      new KeyboardEvent('x'),
      document.location,
      document.implementation.createHTMLDocument(''),
    ];
    for (const sample of samples) set.walk(sample, 0);

    // Dictionaries of the constructors.
    for (const Constructor of constructors) probeConstructor(set, Constructor);

    // Dictionaries of methods, and callbacks that the platform looks up on the script's objects.
    const target = new EventTarget();
    const uses = [
      (o) => div.addEventListener('x', () => {}, o),
      (o) => {
        target.addEventListener('x', o);
        target.dispatchEvent(new Event('x'));
      },
      (o) => new MutationObserver(() => {}).observe(document, o),
      (o) => new ResizeObserver(() => {}).observe(div, o),
      (o) => new PerformanceObserver(() => {}).observe(o),
      (o) => div.scrollIntoView(o),
      (o) => div.scroll(o),
      (o) => div.scrollBy(o),
      (o) => global.scrollTo(o),
      (o) => div.animate(null, o),
      (o) => div.animate(o, 1),
      (o) => div.getAnimations(o),
      (o) => div.checkVisibility(o),
      (o) => div.focus(o),
      (o) => div.attachShadow(o),
      (o) => div.getRootNode(o),
      (o) => div.requestFullscreen(o),
      (o) => div.requestPointerLock(o),
      (o) => div.getHTML?.(o),
      (o) => div.setHTML?.('', o),
      (o) => div.togglePopover?.(o),
      (o) => document.createElement('div', o),
      (o) => document.createTreeWalker(document, 0xffffffff, o).nextNode(),
      (o) => document.createNodeIterator(document, 0xffffffff, o).nextNode(),
      (o) => document.startViewTransition?.(o),
      (o) => document.createElement('canvas').getContext('2d', o),
      (o) => document.createElement('canvas').getContext('webgl', o),
      (o) => document.createElement('canvas').getContext('bitmaprenderer', o),
      (o) => canvas.getContext('2d').getImageData(0, 0, 1, 1, o),
      (o) => canvas.getContext('2d').createImageData(1, 1, o),
      (o) => canvas.getContext('2d').roundRect(0, 0, 1, 1, [o]),
      (o) => createImageBitmap(new ImageData(1, 1), o),
      (o) => new TextDecoder().decode(new Uint8Array(0), o),
      (o) => new TextEncoder().encodeInto('', o),
      (o) => structuredClone(0, o),
      (o) => global.postMessage(0, o),
      (o) => new MessageChannel().port1.postMessage(0, o),
      (o) => new BroadcastChannel('x').postMessage(o),
      (o) => new Blob([], o),
      (o) => new File([], 'x', o),
      (o) => new FontFace('x', 'url(x)', o),
      (o) => new ReadableStream().getReader(o),
      (o) => new ReadableStream().pipeTo(new WritableStream(), o),
      (o) => new ReadableStream().pipeThrough(o),
      (o) => new ReadableStream().values(o),
      (o) => new ReadableStream({}, o),
      (o) => new WritableStream({}, o),
      (o) => new TransformStream({}, o),
      (o) => performance.mark('m', o),
      (o) => performance.measure('m', o),
      (o) => customElements.define('probe-element-options', class extends HTMLElement {}, o),
      (o) => global.matchMedia('print').addEventListener('change', () => {}, o),
      (o) => navigator.geolocation.getCurrentPosition(() => {}, () => {}, o),
      (o) => navigator.mediaDevices.getUserMedia(o),
      (o) => navigator.permissions.query(o),
      (o) => navigator.credentials.get(o),
      (o) => navigator.credentials.create(o),
      (o) => navigator.storage.getDirectory?.().then((dir) => dir.getFileHandle('x', o)),
      (o) => indexedDB.open('probe').addEventListener('upgradeneeded', (e) => {
        e.target.result.createObjectStore('s', o);
      }),
      (o) => Element.prototype.animate.call(div, [o], 1),
      (o) => crypto.subtle.digest(o, new Uint8Array(0)),
      (o) => crypto.subtle.importKey('jwk', o, { name: 'HMAC', hash: 'SHA-256' }, true, ['sign']),
    ];
    for (const use of uses) set.recordReads(use);

    // A custom element's class: the callbacks on its prototype and the settings on the class,
    // some of which are only looked up when others are there.
    set.recordReads((o) => {
      function Probe() {}
      Probe.prototype = o;
      customElements.define('probe-element', new Proxy(Probe, {
        get: (t, key) => (key === 'prototype' ? Reflect.get(t, key) : o[key]),
      }));
    }, { attributeChangedCallback() {}, formAssociated: true });

    // Web cryptography reads a different dictionary for each algorithm name. Normalising the
    // algorithm comes before any check of the key, so one key serves for every operation.
    const algorithms = [
      'AES-CBC', 'AES-CTR', 'AES-GCM', 'AES-KW', 'ECDH', 'ECDSA', 'Ed25519', 'HKDF', 'HMAC',
      'PBKDF2', 'RSA-OAEP', 'RSA-PSS', 'RSASSA-PKCS1-v1_5', 'X25519',
    ];
    const key = await crypto.subtle
      .generateKey({ name: 'AES-GCM', length: 128 }, true, ['encrypt', 'decrypt'])
      .catch(() => null);
    const data = new Uint8Array(16);
    for (const name of algorithms) {
      const base = { name };
      set.recordReads((o) => crypto.subtle.generateKey(o, true, ['sign']), base);
      set.recordReads((o) => crypto.subtle.importKey('raw', data, o, true, ['sign']), base);
      if (!key) continue;
      set.recordReads((o) => crypto.subtle.encrypt(o, key, data), base);
      set.recordReads((o) => crypto.subtle.sign(o, key, data), base);
      set.recordReads((o) => crypto.subtle.deriveBits(o, key, 8), base);
      set.recordReads((o) => crypto.subtle.wrapKey('raw', key, key, o), base);
    }

    div.remove();
    return set;
  }

  root.collectBrowserNames = collectBrowserNames;
})(globalThis);
