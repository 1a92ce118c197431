// Times obfuscate() of the npm package on the corpus inside one node process: a warm-up run, then
// the median of five, classic and modern. Prints {"classic": seconds, "modern": seconds}.
//   node package_library.js PACKAGE_DIR CORPUS_FILE
'use strict';
const fs = require('fs');
const [packageDir, corpus] = process.argv.slice(2);
const { obfuscate } = require(packageDir);
const text = fs.readFileSync(corpus);

function median(syntax) {
  const times = [];
  for (let run = 0; run < 6; run++) {
    const start = process.hrtime.bigint();
    const result = obfuscate({ sources: [{ path: 'corpus.js', text }], syntax, bytes: true });
    const seconds = Number(process.hrtime.bigint() - start) / 1e9;
    if (!result.ok) throw new Error(result.messages);
    if (run > 0) times.push(seconds);
  }
  times.sort((a, b) => a - b);
  return times[times.length >> 1];
}

process.stdout.write(JSON.stringify({ classic: median('classic'), modern: median('modern') }) + '\n');
