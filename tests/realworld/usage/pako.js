// pako: deflate, inflate, gzip and raw streams, checked by round trips and byte sums.
(function () {
  function sum(bytes) { var s = 0; for (var i = 0; i < bytes.length; i++) { s = (s * 31 + bytes[i]) >>> 0; } return s; }
  var text = '';
  for (var i = 0; i < 200; i++) { text += 'line ' + i + ': the quick brown fox ' + (i % 7) + '\n'; }
  var packed = pako.deflate(text);
  console.log(text.length, packed.length, sum(packed));
  console.log(pako.inflate(packed, { to: 'string' }) === text);
  var fast = pako.deflate(text, { level: 1 });
  console.log(fast.length, sum(fast), pako.deflate(text, { level: 0 }).length);
  var gz = pako.gzip(text);
  console.log(gz[0], gz[1], gz.length, pako.ungzip(gz, { to: 'string' }).slice(0, 20));
  var raw = pako.deflateRaw(new Uint8Array([1, 2, 3, 4, 5, 5, 5, 5, 5, 5]));
  console.log(raw.length, Array.prototype.join.call(pako.inflateRaw(raw), ','));
  var d = new pako.Deflate({ level: 6 });
  d.push(text.slice(0, 1000), false);
  d.push(text.slice(1000), true);
  console.log(d.err, d.result.length, pako.inflate(d.result, { to: 'string' }).length);
  var inf = new pako.Inflate({ to: 'string' });
  inf.push(packed.subarray(0, 100), false);
  inf.push(packed.subarray(100), true);
  console.log(inf.err, inf.result === text);
  try { pako.inflate(new Uint8Array([1, 2, 3, 4])); } catch (e) { console.log('error: ' + String(e)); }
  console.log(pako.deflate('', { level: 9 }).length, pako.inflate(pako.deflate('é✓')).length);
  var unicode = pako.inflate(pako.deflate('héllo wörld ✓', { windowBits: 9, memLevel: 1 }), { to: 'string' });
  console.log(unicode, pako.constants.Z_BEST_COMPRESSION, pako.constants.Z_DEFLATED);
  console.log(sum(pako.deflate(text, { strategy: pako.constants.Z_HUFFMAN_ONLY })), sum(pako.deflate(text, { strategy: pako.constants.Z_RLE })));
}());
