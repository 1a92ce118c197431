// Ramda: curried functions, composition, lenses and list and object helpers.
(function () {
  var people = [{ 'name': 'Ann', 'age': 31 }, { 'name': 'Bob', 'age': 25 }, { 'name': 'Cid', 'age': 47 }];
  console.log(JSON.stringify(R.map(R.multiply(2), [1, 2, 3])), R.pipe(R.filter(R.lt(2)), R.sum)([1, 2, 3, 4]));
  console.log(JSON.stringify(R.pluck('name', R.sortBy(R.prop('age'), people))));
  console.log(JSON.stringify(R.countBy(function (p) { return p.age > 30 ? 'old' : 'young'; }, people)));
  console.log(R.compose(R.toUpper, R.join('-'), R.reverse)(['a', 'b', 'c']));
  var add3 = R.curry(function (a, b, c) { return a + b + c; });
  console.log(add3(1)(2)(3), add3(R.__, 2, 3)(10), R.reduce(R.add, 0, R.range(1, 11)));
  console.log(JSON.stringify(R.assocPath(['a', 'b', 'c'], 42, { 'a': { 'x': 1 } })), R.path(['a', 0, 'b'], { 'a': [{ 'b': 7 }] }));
  console.log(JSON.stringify(R.evolve({ 'age': R.inc, 'name': R.toLower }, { 'name': 'ZED', 'age': 9 })));
  var ageLens = R.lensProp('age');
  console.log(R.view(ageLens, people[0]), JSON.stringify(R.over(ageLens, R.negate, people[1])));
  console.log(JSON.stringify(R.uniq([1, 1, 2, 1])), JSON.stringify(R.zip([1, 2], ['a', 'b'])), JSON.stringify(R.splitEvery(3, R.range(0, 7))));
  console.log(R.equals({ 'a': [1, { 'b': 2 }] }, { 'a': [1, { 'b': 2 }] }), R.isEmpty([]), R.all(R.is(Number), [1, 2]));
  console.log(JSON.stringify(R.partition(R.propEq(25, 'age'), people).map(R.length)));
  console.log(JSON.stringify(R.mergeDeepRight({ 'a': { 'b': 1, 'c': 2 } }, { 'a': { 'c': 3 } })), JSON.stringify(R.omit(['age'], people[2])));
  console.log(R.cond([[R.equals(0), R.always('zero')], [R.lt(0), R.always('positive')], [R.T, R.always('negative')]])(-4));
  console.log(JSON.stringify(R.groupWith(R.equals, [1, 1, 2, 3, 3])), R.toString({ 'k': [1, 'x'] }), R.sum(R.map(R.length, ['ab', 'c'])));
  console.log(JSON.stringify(R.transpose([[1, 'a'], [2, 'b']])), R.ifElse(R.has('name'), R.prop('name'), R.always('-'))(people[0]));
}());
