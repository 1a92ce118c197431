// Name collection helpers shared by the node side and the browser page of the exclusion list
// generator, together with the walk of the ECMAScript language itself. Loaded with require() in
// node and as a classic script in the page, so it uses nothing but the language.
(function (root) {
  'use strict';

  // The only names qvmin's scanner can see as one identifier.
  const IDENTIFIER = /^[A-Za-z_$][A-Za-z0-9_$]*$/;

  // Reserved words, future reserved words of strict code and the contextual words of the grammar
  // (accessors, modules, meta properties, async code, resource management). None of them can be
  // read off a runtime.
  const LANGUAGE_WORDS = [
    'as', 'async', 'await', 'break', 'case', 'catch', 'class', 'const', 'continue', 'debugger',
    'default', 'delete', 'do', 'else', 'enum', 'export', 'extends', 'false', 'finally', 'for',
    'from', 'function', 'get', 'if', 'implements', 'import', 'in', 'instanceof', 'interface',
    'let', 'meta', 'new', 'null', 'of', 'package', 'private', 'protected', 'public', 'return',
    'set', 'static', 'super', 'switch', 'target', 'this', 'throw', 'true', 'try', 'typeof',
    'using', 'var', 'void', 'while', 'with', 'yield',
  ];

  // The global bindings that the language standard and its internationalisation companion define.
  // Fixed, because every host adds its own globals next to them.
  const STANDARD_GLOBALS = [
    'AggregateError', 'Array', 'ArrayBuffer', 'AsyncDisposableStack', 'Atomics', 'BigInt',
    'BigInt64Array', 'BigUint64Array', 'Boolean', 'DataView', 'Date', 'DisposableStack', 'Error',
    'EvalError', 'FinalizationRegistry', 'Float16Array', 'Float32Array', 'Float64Array',
    'Function', 'Infinity', 'Int16Array', 'Int32Array', 'Int8Array', 'Intl', 'Iterator', 'JSON',
    'Map', 'Math', 'NaN', 'Number', 'Object', 'Promise', 'Proxy', 'RangeError', 'ReferenceError',
    'Reflect', 'RegExp', 'Set', 'SharedArrayBuffer', 'String', 'SuppressedError', 'Symbol',
    'SyntaxError', 'Temporal', 'TypeError', 'URIError', 'Uint16Array', 'Uint32Array',
    'Uint8Array', 'Uint8ClampedArray', 'WeakMap', 'WeakRef', 'WeakSet', 'decodeURI',
    'decodeURIComponent', 'encodeURI', 'encodeURIComponent', 'escape', 'eval', 'globalThis',
    'isFinite', 'isNaN', 'parseFloat', 'parseInt', 'undefined', 'unescape',
  ];

  // A set of names with the walks that fill it. Names that qvmin could not see as one identifier
  // (symbols are never collected; dashed CSS names, array indices and non-ASCII names are dropped
  // here) are counted but not kept.
  function createNameSet() {
    const names = new Set();
    const walked = new Set();
    const excluded = new Set();
    let dropped = 0;

    function add(name) {
      if (typeof name !== 'string') return;
      if (IDENTIFIER.test(name)) names.add(name);
      else dropped += 1;
    }

    function isObject(value) {
      return value !== null && (typeof value === 'object' || typeof value === 'function');
    }

    function ownNames(object) {
      try {
        return Object.getOwnPropertyNames(object);
      } catch (e) {
        return [];
      }
    }

    // A data property's value, without running getters.
    function ownValue(object, key) {
      try {
        const d = Object.getOwnPropertyDescriptor(object, key);
        return d && 'value' in d ? d.value : undefined;
      } catch (e) {
        return undefined;
      }
    }

    // The own property names of the object and of every object on its prototype chain.
    function addChain(object) {
      for (let o = object; isObject(o) && !walked.has(o); ) {
        walked.add(o);
        ownNames(o).forEach(add);
        try {
          o = Object.getPrototypeOf(o);
        } catch (e) {
          break;
        }
      }
    }

    // The object's chain and, for a constructor, its prototype's chain; then the same for the
    // values of its own data properties, down to the given depth. Depth 1 on a namespace object
    // such as Math or Intl reaches the members of its functions and the prototypes of its
    // constructors.
    function walk(value, depth) {
      if (!isObject(value) || excluded.has(value)) return;
      addChain(value);
      if (typeof value === 'function') {
        const prototype = ownValue(value, 'prototype');
        if (isObject(prototype)) addChain(prototype);
      }
      if (depth > 0) {
        for (const key of ownNames(value)) walk(ownValue(value, key), depth - 1);
      }
    }

    // Runs use() on an empty object that records every string-keyed property that is read from
    // it or tested on it: the names of option bags, callbacks and protocol methods that a built-in
    // looks up on an object the program hands it. base supplies values that use() needs to get
    // far enough, such as a required option.
    function recordReads(use, base) {
      const target = Object.assign({}, base || {});
      const proxy = new Proxy(target, {
        get(t, key, receiver) {
          add(key);
          return Reflect.get(t, key, receiver);
        },
        has(t, key) {
          add(key);
          return Reflect.has(t, key);
        },
      });
      try {
        const result = use(proxy);
        if (result && typeof result.catch === 'function') result.catch(() => {});
      } catch (e) {
        // Most uses throw once they reach a value they cannot accept; the reads before that count.
      }
    }

    // Keeps an object, and what only it leads to, out of every later walk: for objects whose keys
    // are data of the machine at hand, such as the environment, rather than names of an interface.
    function exclude(object) {
      if (isObject(object)) {
        walked.add(object);
        excluded.add(object);
      }
    }

    return {
      add,
      addChain,
      exclude,
      walk,
      recordReads,
      names,
      get dropped() {
        return dropped;
      },
    };
  }

  function tryValue(make) {
    try {
      return make();
    } catch (e) {
      return undefined;
    }
  }

  // Intl constructors with the options each needs before it reads the rest.
  const INTL_REQUIRED_OPTIONS = {
    DisplayNames: { type: 'language' },
  };

  // The whole language: words, standard globals and the members of everything they lead to, the
  // intrinsics that only syntax reaches, and the names that built-ins read from the program's
  // objects. global is the host's global object.
  async function collectEcmaScriptNames(global) {
    const set = createNameSet();
    LANGUAGE_WORDS.forEach(set.add);
    for (const name of STANDARD_GLOBALS) {
      set.add(name);
      if (name !== 'globalThis' && name in global) set.walk(global[name], 1);
    }

    // Intrinsics that no global name leads to, and instances with own properties of their own.
    const samples = [
      function* () {},
      (function* () {})(),
      async function () {},
      async function* () {},
      (async function* () {})(),
      () => {},
      class {},
      [][Symbol.iterator](),
      new Map().entries(),
      new Set().values(),
      ''[Symbol.iterator](),
      'a'.matchAll(/a/g),
      Object.getPrototypeOf(Int8Array),
      /a/,
      tryValue(() => new RegExp('(?<a>a)', 'd').exec('a')),
      /(?<a>a)/.exec('a'),
      new Error('e', { cause: 0 }),
      new AggregateError([]),
      (function () {
        return arguments;
      })(),
      Object.getOwnPropertyDescriptor({ a: 0 }, 'a'),
      Object.getOwnPropertyDescriptor({ get a() { return 0; }, set a(v) {} }, 'a'),
      [][Symbol.iterator]().next(),
      ((strings) => strings)`a`,
      tryValue(() => Promise.withResolvers()),
      tryValue(() => [].values().map((x) => x)),
      tryValue(() => Iterator.from({ next() { return { done: true }; } })),
      tryValue(() => new Intl.NumberFormat('en').formatToParts(1)[0]),
      tryValue(() => new Intl.DateTimeFormat('en').formatRangeToParts(0, 1e10)[0]),
      tryValue(() => new Intl.RelativeTimeFormat('en').formatToParts(1, 'day')[1]),
      tryValue(() => new Intl.Segmenter('en', { granularity: 'word' }).segment('a b')),
      tryValue(() => [...new Intl.Segmenter('en', { granularity: 'word' }).segment('a b')][0]),
      tryValue(() => new Intl.Locale('en').getWeekInfo()),
      tryValue(() => new Intl.Locale('en').getTextInfo()),
    ];
    for (const sample of samples) set.walk(sample, 0);

    // resolvedOptions() names what every Intl service was built with; recorded reads name the
    // options it accepts, including those it does not report back.
    if (global.Intl) {
      for (const name of Object.getOwnPropertyNames(global.Intl)) {
        const Service = global.Intl[name];
        if (typeof Service !== 'function' || !Service.prototype) continue;
        const base = INTL_REQUIRED_OPTIONS[name];
        set.recordReads((options) => new Service('en', options), base);
        const service = tryValue(() => new Service('en', base));
        if (service && typeof service.resolvedOptions === 'function') {
          set.walk(tryValue(() => service.resolvedOptions()), 0);
        }
      }
      set.recordReads((options) => new global.Intl.Locale('en', options));
    }

    // Temporal: property bags and options.
    const T = global.Temporal;
    if (T) {
      const day = { year: 2000, month: 1, day: 1 };
      set.recordReads((bag) => T.Duration.from(bag), { days: 1 });
      set.recordReads((bag) => T.PlainDateTime.from(bag), day);
      set.recordReads((bag) => T.ZonedDateTime.from(bag), Object.assign({ timeZone: 'UTC' }, day));
      set.recordReads((bag) => T.PlainMonthDay.from(bag), { monthCode: 'M01', day: 1 });
      const date = tryValue(() => T.ZonedDateTime.from(Object.assign({ timeZone: 'UTC' }, day)));
      if (date) {
        set.recordReads((o) => date.round(o), { smallestUnit: 'day' });
        set.recordReads((o) => date.until(date, o));
        set.recordReads((o) => date.toString(o));
        set.recordReads((o) => date.with({ day: 2 }, o));
        set.recordReads((o) => date.toLocaleString('en', o));
      }
      set.recordReads((o) => T.Duration.from({ days: 1 }).total(o), { unit: 'hour' });
      set.recordReads((o) => T.Duration.from({ days: 1 }).round(o), { smallestUnit: 'hour' });
    }

    // Protocols: what built-ins look up on the program's own objects.
    set.recordReads((o) => new Error('e', o));
    set.recordReads((o) => Object.defineProperty({}, 'a', o));
    set.recordReads((o) => JSON.stringify(o));
    set.recordReads((o) => Promise.resolve(o));
    set.recordReads((o) => String.raw(o));
    set.recordReads((o) => new Set().union(o), { size: 0, has() {}, keys() {} });
    set.recordReads((o) => Array.from({ [Symbol.iterator]: () => o }), { next: () => ({ done: true }) });
    set.recordReads((o) => Array.from({ [Symbol.iterator]: () => ({ next: () => o }) }), { done: true });
    set.recordReads((o) => RegExp.prototype[Symbol.replace].call(o, 'a', 'b'), {
      exec: () => null,
    });

    // Objects that only asynchronous code receives.
    const settled = await Promise.allSettled([Promise.resolve(0), Promise.reject(new Error())]);
    settled.forEach((result) => set.walk(result, 0));

    return set;
  }

  const api = { IDENTIFIER, createNameSet, collectEcmaScriptNames, tryValue };
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.qvminNames = api;
})(typeof globalThis === 'object' ? globalThis : this);
