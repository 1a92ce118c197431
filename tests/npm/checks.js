// The tally the npm tests keep: a line per check, and an exit status that says whether all held.
'use strict';

let passed = 0;
let failed = 0;

function check(name, holds, detail = '') {
  if (holds) passed++;
  else failed++;
  console.log(`${holds ? 'ok  ' : 'FAIL'} ${name}${holds || !detail ? '' : '\n  ' + detail}`);
}

// A test that could not go on: its error counts as one failure.
function fail(error) {
  failed++;
  console.log(`FAIL ${error.stack}`);
}

function finish() {
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
}

module.exports = { check, fail, finish };
