// Mustache: variables, sections, inverted sections, partials, lambdas and delimiters.
(function () {
  var M = Mustache;
  console.log(M.render('Hello {{name}}, {{& html}} {{html}} {{{html}}}', { 'name': 'Ann', 'html': '<b>&</b>' }));
  console.log(M.render('{{#items}}<{{.}}>{{/items}}{{^items}}none{{/items}}', { 'items': ['a', 'b'] }));
  console.log(M.render('{{#items}}<{{.}}>{{/items}}{{^items}}none{{/items}}', { 'items': [] }));
  console.log(M.render('{{#person}}{{first}} {{last}}{{/person}} {{person.first}}', { 'person': { 'first': 'Ada', 'last': 'L' } }));
  console.log(M.render('{{#wrap}}inner {{x}}{{/wrap}}', { 'x': 1, 'wrap': function () { return function (text, render) { return '[' + render(text) + ']'; }; } }));
  console.log(M.render('{{> header}}body{{> footer}}', { 'title': 'T' }, { 'header': '<h1>{{title}}</h1>', 'footer': '<hr>' }));
  console.log(M.render('{{=<% %>=}}<% a %> {{a}}', { 'a': 'swapped' }));
  console.log(M.render('{{#list}}{{name}}{{#last}}.{{/last}}{{^last}},{{/last}}{{/list}}', { 'list': [{ 'name': 'x' }, { 'name': 'y', 'last': true }] }));
  console.log(M.render('{{! a comment }}{{count}} {{flag}} {{missing}}|', { 'count': 0, 'flag': false }));
  console.log(M.render('{{#fn}}{{/fn}}{{calc}}', { 'fn': true, 'calc': function () { return 6 * 7; } }));
  var tokens = M.parse('a {{b}} {{#c}}d{{/c}}');
  console.log(tokens.length, tokens.map(function (t) { return t[0]; }).join(''));
  console.log(M.escape('<"&\'/`=>'), M.render('[[x]]', { 'x': 'y' }, {}, ['[[', ']]']));
  console.log(M.render('{{#a}}{{#b}}{{c}}{{/b}}{{/a}}', { 'a': { 'b': [{ 'c': 1 }, { 'c': 2 }] } }), M.name, M.version);
  try { M.render('{{#open}}', {}); } catch (e) { console.log(e.message); }
}());
