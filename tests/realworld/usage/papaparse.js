// Papa Parse: CSV to data and back, with headers, typing, quoting and errors.
(function () {
  var csv = 'name,age,city\nAnn,31,"Oslo, NO"\nBob,25,Lima\n';
  var r = Papa.parse(csv, { header: true, dynamicTyping: true, skipEmptyLines: true });
  console.log(JSON.stringify(r.data), JSON.stringify(r.meta.fields), r.meta.delimiter, r.errors.length);
  console.log(JSON.stringify(Papa.parse('a;b;c\n1;2;3').data), Papa.parse('a;b;c\n1;2;3').meta.delimiter);
  console.log(JSON.stringify(Papa.parse('x\ty\n"q""uote"\t2', { delimiter: '\t' }).data));
  console.log(Papa.unparse([{ 'a': 1, 'b': 'two, three' }, { 'a': 4, 'b': 'say "hi"' }]));
  console.log(Papa.unparse({ fields: ['h1', 'h2'], data: [[1, 2], [3, 4]] }, { quotes: true, newline: '\n' }));
  var bad = Papa.parse('a,b\n1,2,3\n"unterminated', { header: true });
  console.log(bad.errors.length, bad.errors.map(function (e) { return e.code; }).join(','));
  console.log(JSON.stringify(Papa.parse('1,true,null,2.5e3', { dynamicTyping: true }).data));
  var rows = [];
  Papa.parse('r1\nr2\nr3', { step: function (row) { rows.push(row.data[0]); } });
  console.log(rows.join('|'));
  console.log(JSON.stringify(Papa.parse('# comment\nk,v\n\n1,2', { comments: '#', skipEmptyLines: 'greedy' }).data));
  console.log(JSON.stringify(Papa.parse(' A , B \n1,2', { header: true, transformHeader: function (h) { return h.trim().toLowerCase(); } }).data));
  console.log(JSON.stringify(Papa.parse('a,b,c\n1,2,3\n4,5,6', { preview: 2 }).data), Papa.parse('a\n1\n2', { preview: 1 }).meta.truncated);
  console.log(Papa.unparse([['x', null, 3], ['=1+1', '', 'é']], { escapeFormulae: true }), JSON.stringify(Papa.BAD_DELIMITERS));
}());
