// lodash: collections, objects, strings, functions and templates.
(function () {
  var users = [
    { 'user': 'barney', 'age': 36, 'active': true },
    { 'user': 'fred', 'age': 40, 'active': false },
    { 'user': 'pebbles', 'age': 1, 'active': true }
  ];
  console.log(JSON.stringify(_.chunk([1, 2, 3, 4, 5], 2)));
  console.log(JSON.stringify(_.map(_.sortBy(users, ['age']), 'user')));
  console.log(JSON.stringify(_.groupBy([6.1, 4.2, 6.3], Math.floor)));
  console.log(_.camelCase('Foo Bar-baz_qux'), _.kebabCase('fooBar'), _.snakeCase('Foo Bar'));
  console.log(JSON.stringify(_.merge({ 'a': [{ 'b': 2 }] }, { 'a': [{ 'c': 3 }] })));
  console.log(_.get({ 'a': [{ 'b': { 'c': 3 } }] }, 'a[0].b.c'), _.has({ 'x': { 'y': 1 } }, 'x.y'));
  console.log(JSON.stringify(_.set({}, 'p[1].q', 5)));
  console.log(JSON.stringify(_.uniqBy([2.1, 1.2, 2.3], Math.floor)));
  console.log(_.isEqual({ 'x': [1, 2] }, { 'x': [1, 2] }), _.isEmpty({}), _.isPlainObject([]));
  console.log(JSON.stringify(_.zipObject(['a', 'b'], [1, 2])), JSON.stringify(_.invert({ 'a': 'x' })));
  console.log(JSON.stringify(_.partition(users, 'active').map(function (g) { return g.length; })));
  var add3 = _.curry(function (a, b, c) { return a + b + c; });
  console.log(add3(1)(2)(3), _.memoize(function (n) { return n * n; })(12), _.flow([_.add, _.negate(_.isNaN)])(1, 2));
  console.log(_.template('hello <%= user %>! <%- tag %> <% for (var i = 0; i < xs.length; i++) { %>[<%= xs[i] %>]<% } %>')(
    { 'user': 'fred', 'tag': '<b>', 'xs': [1, 2] }));
  console.log(_.chain(users).filter('active').map('age').sum().value());
  console.log(JSON.stringify(_.range(0, 20, 5)), _.padStart('7', 3, '0'));
  console.log(_.truncate('hi-diddly-ho there, neighborino', { 'length': 24, 'separator': ' ' }));
  console.log(JSON.stringify(_.countBy(['one', 'two', 'three'], 'length')));
  console.log(JSON.stringify(_.flattenDeep([1, [2, [3, [4]], 5]])), JSON.stringify(_.difference([2, 1], [2, 3])));
  console.log(JSON.stringify(_.orderBy(users, ['active', 'age'], ['desc', 'asc']).map(function (u) { return u.user; })));
  console.log(_.escape('fred, barney, & <pebbles>'), _.words('fred, barney, & pebbles').length);
}());
