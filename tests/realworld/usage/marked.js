// marked: Markdown to HTML, the lexer, inline parsing and extensions.
(function () {
  var md = '# Title\n\nSome *emphasis*, **strong** and `code`.\n\n- one\n- two\n\n> quote\n\n[link](http://x.test "t")\n';
  console.log(marked.parse(md));
  console.log(marked.parseInline('a _b_ ~~c~~ <b>d</b>'));
  var tokens = marked.lexer('## Sub\n\n```js\nvar x = 1 / 2;\n```\n\n| a | b |\n|---|---|\n| 1 | 2 |\n');
  console.log(tokens.map(function (t) { return t.type; }).join(','), tokens[0].depth, tokens[1].lang);
  console.log(marked.parse('line one\nline two', { breaks: true }));
  console.log(marked.parse('1. a\n2. b\n   - nested\n\n3) c'));
  console.log(marked.parse('www.example.com and https://auto.link/x?y=1', { gfm: true }));
  console.log(marked.parse('<div>raw *html*</div>\n\nHard  \nbreak\\\nagain'));
  console.log(marked.parse('Setext\n======\n\n***\n\n![img](a.png)\n\n    indented code'));
  var headings = [];
  marked.parse('# A\n## B\n### C', { walkTokens: function (t) { if (t.type === 'heading') { headings.push(t.depth + t.text); } } });
  console.log(headings.join(' '));
  console.log(marked.Parser.parse(marked.Lexer.lex('*lexed* then parsed')));
  var renderer = new marked.Renderer();
  renderer.codespan = function (text) { return '<kbd>' + text + '</kbd>'; };
  console.log(marked.parse('press `Ctrl` + `C`', { renderer: renderer }));
  console.log(marked.parse('- [x] done\n- [ ] todo'), marked.parse('a &amp; b < c & d'));
  console.log(marked.getDefaults().gfm, marked.parse('Term[^1]\n\n[ref]: http://r.test\n\n[ref]'));
}());
