// Handlebars: compiled templates with helpers, partials, blocks and escaping.
// Handlebars compiles a template into JavaScript source text and runs it with new Function, so
// the property names that source refers to (container.escapeExpression, main, loc.start ...)
// exist only inside strings; keep/handlebars.txt keeps them.
(function () {
  var H = Handlebars;
  console.log(H.compile('Hello, {{name}}! {{{raw}}} {{esc}}')({ 'name': 'World', 'raw': '<i>x</i>', 'esc': '<b>&</b>' }));
  console.log(H.compile('{{#each items}}[{{@index}}:{{this}}]{{/each}}')({ 'items': ['a', 'b', 'c'] }));
  console.log(H.compile('{{#if ok}}yes{{else}}no{{/if}} {{#unless ok}}not{{/unless}}')({ 'ok': false }));
  console.log(H.compile('{{#with person}}{{first}} {{last}}{{/with}}')({ 'person': { 'first': 'Ada', 'last': 'Lovelace' } }));
  H.registerHelper('upper', function (s) { return String(s).toUpperCase(); });
  H.registerHelper('link', function (text, url) { return new H.SafeString('<a href="' + H.escapeExpression(url) + '">' + H.escapeExpression(text) + '</a>'); });
  console.log(H.compile('{{upper title}} {{link "A&B" "/x?a=1&b=2"}}')({ 'title': 'shout' }));
  H.registerPartial('item', '<li>{{label}}</li>');
  console.log(H.compile('<ul>{{#each list}}{{> item}}{{/each}}</ul>')({ 'list': [{ 'label': 'one' }, { 'label': 'two' }] }));
  H.registerHelper('list', function (items, options) {
    return items.map(function (it) { return options.fn(it); }).join('|');
  });
  console.log(H.compile('{{#list people}}{{name}}/{{../suffix}}{{/list}}')({ 'people': [{ 'name': 'x' }, { 'name': 'y' }], 'suffix': 's' }));
  console.log(H.compile('{{lookup map key}} {{#each obj}}{{@key}}={{this}};{{/each}}')({ 'map': { 'k': 'v' }, 'key': 'k', 'obj': { 'p': 1, 'q': 2 } }));
  console.log(H.compile('{{!-- a comment --}}{{#each nested}}{{#each this}}{{this}}{{/each}},{{/each}}')({ 'nested': [[1, 2], [3]] }));
  console.log(H.compile('{{a.b.c}} {{missing.value}}.', { strict: false })({ 'a': { 'b': { 'c': 'deep' } } }));
  try { H.compile('{{#if}}', { strict: true })({}); } catch (e) { console.log(e.message.split('\n')[0]); }
  var template = H.template(eval('(' + H.precompile('pre {{x}}') + ')'));
  console.log(template({ 'x': 'compiled' }), H.escapeExpression('"\'<>&`='), H.Utils.isEmpty([]));
}());
