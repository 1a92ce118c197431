// Underscore: collections, arrays, objects, functions and templates.
(function () {
  var stooges = [{ 'name': 'moe', 'age': 40 }, { 'name': 'larry', 'age': 50 }, { 'name': 'curly', 'age': 60 }];
  console.log(JSON.stringify(_.map([1, 2, 3], function (n) { return n * 3; })));
  console.log(_.reduce([1, 2, 3, 4], function (memo, n) { return memo + n; }, 10));
  console.log(JSON.stringify(_.pluck(stooges, 'name')), _.max(stooges, function (s) { return s.age; }).name);
  console.log(JSON.stringify(_.where(stooges, { 'age': 50 })), JSON.stringify(_.findWhere(stooges, { 'name': 'curly' })));
  console.log(JSON.stringify(_.groupBy(['one', 'two', 'three'], 'length')), JSON.stringify(_.indexBy(stooges, 'age')));
  console.log(JSON.stringify(_.sortBy([1, 2, 3, 4, 5, 6], function (n) { return Math.sin(n); })));
  console.log(JSON.stringify(_.zip(['moe', 'larry'], [30, 40])), JSON.stringify(_.object(['a', 'b'], [1, 2])));
  console.log(JSON.stringify(_.uniq([1, 2, 1, 4, 1, 3])), JSON.stringify(_.intersection([1, 2, 3], [101, 2, 1, 10])));
  console.log(JSON.stringify(_.pick({ 'name': 'moe', 'age': 50, 'userid': 'moe1' }, 'name', 'age')));
  console.log(JSON.stringify(_.defaults({ 'flavor': 'chocolate' }, { 'flavor': 'vanilla', 'sprinkles': 'lots' })));
  console.log(_.isEqual({ 'a': [1] }, { 'a': [1] }), _.isMatch({ 'name': 'moe', 'age': 32 }, { 'age': 32 }), _.isString('x'));
  var greet = function (name) { return 'hi: ' + name; };
  var exclaim = function (statement) { return statement.toUpperCase() + '!'; };
  console.log(_.compose(greet, exclaim)('moe'), _.partial(function (a, b) { return a - b; }, 5)(20));
  console.log(_.template('<% for (var i = 0; i < people.length; i++) { %><li><%- people[i] %></li><% } %> <%= title %>')(
    { 'people': ['moe', '<curly>'], 'title': 'Stooges' }));
  console.log(_.chain([1, 2, 3, 200]).filter(function (n) { return n % 2 === 0; }).map(function (n) { return n * n; }).value().join(','));
  console.log(JSON.stringify(_.range(1, 11, 3)), _.escape('Curly, Larry & Moe'), _.unescape('&lt;b&gt;'));
  console.log(JSON.stringify(_.countBy([1, 2, 3, 4, 5], function (n) { return n % 2 === 0 ? 'even' : 'odd'; })));
  console.log(JSON.stringify(_.flatten([1, [2], [3, [[4]]]])), JSON.stringify(_.chunk(['a', 'b', 'c', 'd', 'e'], 2)));
  var once = _.once(function () { return Math.PI.toFixed(3); });
  console.log(once(), once(), _.size({ 'one': 1, 'two': 2, 'three': 3 }), _.has({ 'a': 1 }, 'a'));
}());
