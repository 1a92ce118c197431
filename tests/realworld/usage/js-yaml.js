// js-yaml: loading, dumping, schemas, multi-document input and errors.
(function () {
  var doc = 'name: demo\nversion: 1.2\nlist:\n  - a\n  - 2\n  - true\nnested:\n  key: value\n  empty: ~\nmulti: |\n  line1\n  line2\n';
  console.log(JSON.stringify(jsyaml.load(doc)));
  console.log(jsyaml.dump({ 'b': [1, 'two', null], 'a': { 'x': 'y: z', 'n': 1.5 }, 's': 'multi\nline' }));
  console.log(jsyaml.dump({ 'b': 1, 'a': 2, 'c': [{ 'k': 'v' }] }, { sortKeys: true, flowLevel: 1 }));
  console.log(JSON.stringify(jsyaml.loadAll('--- 1\n--- [2, 3]\n--- {x: 4}\n')));
  console.log(JSON.stringify(jsyaml.load('anchors:\n  base: &b {a: 1}\n  copy: *b\n  merged:\n    <<: *b\n    c: 2\n')));
  console.log(JSON.stringify(jsyaml.load('date: 2024-02-29\nhex: 0x1F\noct: 0o17\nbig: 1e3\ninf: .inf\n')));
  console.log(JSON.stringify(jsyaml.load('yes: yes\non: off\nstr: "quoted \\u00e9"\n', { schema: jsyaml.JSON_SCHEMA })));
  try { jsyaml.load('key: [unclosed'); } catch (e) { console.log(e.name, e.reason, e.mark.line); }
  try { jsyaml.load('a: 1\na: 2\n'); } catch (e) { console.log(e.reason); }
  console.log(jsyaml.dump('needs "quotes": yes'), jsyaml.dump([1, [2, [3]]], { indent: 4 }));
  var Point = new jsyaml.Type('!point', { kind: 'sequence', construct: function (data) { return { 'x': data[0], 'y': data[1] }; } });
  var schema = jsyaml.DEFAULT_SCHEMA.extend([Point]);
  console.log(JSON.stringify(jsyaml.load('p: !point [1, 2]', { schema: schema })));
  console.log(jsyaml.dump({ 'long': 'word '.repeat(20) }, { lineWidth: 40 }), jsyaml.dump({ 'n': null }, { styles: { '!!null': 'canonical' } }));
  console.log(JSON.stringify(jsyaml.load('{a: [1, {b: c}], "d e": f}')), typeof jsyaml.load(''));
}());
