// Immutable: persistent List, Map, Set, Record and lazy Seq.
(function () {
  var I = Immutable;
  var list = I.List([1, 2, 3]);
  console.log(list.push(4).size, list.size, list.get(-1), JSON.stringify(list.insert(1, 9).toJS()));
  var map = I.Map({ 'a': 1, 'b': 2 });
  console.log(map.set('c', 3).count(), map.get('a'), map.has('z'), JSON.stringify(map.merge({ 'b': 20, 'd': 4 }).toJS()));
  var nested = I.fromJS({ 'user': { 'tags': ['x', 'y'], 'score': 1 } });
  console.log(nested.getIn(['user', 'tags', 1]), JSON.stringify(nested.setIn(['user', 'score'], 5).toJS()));
  console.log(JSON.stringify(nested.updateIn(['user', 'tags'], function (t) { return t.push('z'); }).toJS()));
  console.log(I.is(I.Map({ 'k': I.List([1]) }), I.Map({ 'k': I.List([1]) })), map.equals(I.Map({ 'b': 2, 'a': 1 })));
  console.log(JSON.stringify(I.Set([3, 1, 3, 2]).union([5]).toArray()), I.Set([1, 2]).isSubset([1, 2, 3]));
  console.log(JSON.stringify(I.OrderedMap([['z', 1], ['a', 2]]).keySeq().toArray()), I.Range(1, 10, 3).toArray().join(' '));
  console.log(JSON.stringify(I.Seq([1, 2, 3, 4, 5, 6]).filter(function (x) { return x % 2; }).map(function (x) { return x * x; }).take(2).toArray()));
  var Point = I.Record({ 'x': 0, 'y': 0 });
  var p = new Point({ 'x': 3 });
  console.log(p.get('x'), p.get('y'), JSON.stringify(p.set('y', 4).toJS()), p.has('x'));
  console.log(I.hash('abc'), list.hashCode() === I.List([1, 2, 3]).hashCode(), JSON.stringify(I.Stack([1, 2]).push(0).toArray()));
  console.log(JSON.stringify(I.List(['b', 'a', 'c']).sort().toArray()), JSON.stringify(I.List([1, 2, 3, 4]).groupBy(function (x) { return x % 2 ? 'odd' : 'even'; }).toJS()));
  console.log(map.reduce(function (acc, v) { return acc + v; }, 0), JSON.stringify(I.List([1, 2]).concat([3], I.List([4])).toArray()));
  console.log(I.isImmutable(map), I.isList(list), I.List([1, 2, 3]).reverse().first(), JSON.stringify(list.zip(I.List(['a', 'b'])).toJS()));
}());
