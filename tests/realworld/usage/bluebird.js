// Bluebird: collection helpers, props, promisification, filtered catch and timers.
// Bluebird's inherits() copies each parent method to a name built at run time
// (this[propertyName + "$"]), read back as this._init$(...), so keep/bluebird.txt keeps the two
// such pairs the build calls.
(async function () {
  var B = Promise.noConflict();
  console.log(typeof B.map, B === Promise);
  console.log(JSON.stringify(await B.map([1, 2, 3], function (x) { return B.delay(4 - x).then(function () { return x * 10; }); })));
  console.log(JSON.stringify(await B.props({ 'a': B.resolve(1), 'b': 2 })));
  console.log(await B.reduce([1, 2, 3, 4], function (acc, x) { return acc + x; }, 0));
  console.log(JSON.stringify(await B.filter([1, 2, 3, 4], function (x) { return B.resolve(x > 2); })));
  console.log(await B.all([B.resolve('a'), 'b']).spread(function (x, y) { return x + y; }));
  console.log(await B.join(B.resolve(1), 2, B.delay(1).then(function () { return 3; }), function (a, b, c) { return a + b + c; }));
  function legacy(x, cb) { setTimeout(function () { if (x < 0) { cb(new RangeError('negative')); } else { cb(null, x + 1); } }, 1); }
  var asPromise = B.promisify(legacy);
  console.log(await asPromise(41));
  console.log(await asPromise(-1).catch(RangeError, function (e) { return 'caught ' + e.message; }));
  console.log(await B.try(function () { return 'tried'; }), await B.resolve(5).tap(function () { return B.delay(1); }));
  var seen = [];
  await B.each(['p', 'q'], function (x) { seen.push(x); });
  console.log(seen.join(','), JSON.stringify(await B.mapSeries([2, 1], function (x) { return B.delay(x).return(x); })));
  console.log(JSON.stringify(await B.some([B.delay(5).return('slow'), B.resolve('fast'), B.resolve('also')], 2)));
  var inspections = await B.all([B.resolve(1).reflect(), B.reject(new Error('no')).reflect()]);
  console.log(inspections.map(function (i) { return i.isFulfilled(); }).join(','));
  console.log(await B.delay(50).timeout(5).catch(B.TimeoutError, function () { return 'timed out'; }));
  console.log(await B.any([B.reject(new Error('x')), B.resolve('any')]), await B.resolve([1, 2]).get(1));
  console.log(await B.fromCallback(function (cb) { cb(null, 'from callback'); }), B.resolve(3).isFulfilled());
}());
