// async: collections, control flow and queues; each result is printed after it settles.
(async function () {
  function later(value, ms) { return new Promise(function (resolve) { setTimeout(function () { resolve(value); }, ms); }); }
  console.log(JSON.stringify(await async.map([3, 1, 2], async function (x) { return later(x * 2, x); })));
  console.log(JSON.stringify(await async.mapSeries(['a', 'b'], async function (s) { return s.toUpperCase(); })));
  console.log(JSON.stringify(await async.filter([1, 2, 3, 4, 5], async function (x) { return x % 2 === 1; })));
  console.log(await async.reduce([1, 2, 3], 10, async function (memo, x) { return memo + x; }));
  console.log(JSON.stringify(await async.parallel({ 'one': async function () { return later(1, 5); }, 'two': async function () { return 2; } })));
  console.log(JSON.stringify(await async.series([function (cb) { cb(null, 'first'); }, function (cb) { setTimeout(cb, 1, null, 'second'); }])));
  console.log(await async.waterfall([function (cb) { cb(null, 3); }, function (n, cb) { cb(null, n * n); }, function (n, cb) { cb(null, 'n=' + n); }]));
  var auto = await async.auto({
    'getData': function (cb) { cb(null, 'data'); },
    'makeFolder': function (cb) { cb(null, 'folder'); },
    'writeFile': ['getData', 'makeFolder', function (results, cb) { cb(null, results.getData + '@' + results.makeFolder); }]
  });
  console.log(auto.writeFile);
  console.log(JSON.stringify(await async.times(4, async function (n) { return n * n; })));
  var order = [];
  var q = async.queue(function (task, cb) { order.push(task); setTimeout(cb, 1); }, 1);
  q.push(['x', 'y', 'z']);
  await q.drain();
  console.log(order.join(''), q.idle(), q.length());
  var tries = 0;
  console.log(await async.retry(3, async function () { tries++; if (tries < 3) { throw new Error('again'); } return 'ok after ' + tries; }));
  var count = 0;
  await async.whilst(async function () { return count < 5; }, async function () { count++; });
  console.log(count);
  console.log(JSON.stringify(await async.sortBy([3, 1, 2], async function (x) { return -x; })));
  console.log(JSON.stringify(await async.concat([1, 2], async function (x) { return [x, x * 10]; })));
  console.log(await async.detect([1, 5, 8, 9], async function (x) { return x > 4; }), await async.every([2, 4], async function (x) { return x % 2 === 0; }));
  console.log(JSON.stringify(await async.mapValues({ 'a': 1, 'b': 2 }, async function (v, k) { return k + v; })));
  try { await async.eachSeries([1, 2, 3], async function (x) { if (x === 2) { throw new Error('stopped at ' + x); } }); } catch (e) { console.log(e.message); }
}());
