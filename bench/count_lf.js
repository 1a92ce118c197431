#!/usr/bin/env node
// Counts the line feeds of a minified file that stand outside every token (between tokens, or
// before the first and after the last), read with acorn's tokenizer: a line feed inside a
// string, template or regular expression is part of its token and not counted.
// Usage: node count_lf.js FILE [script|module]; prints one JSON line:
// {"bytes": N, "tokens": N, "lf_between": N, "lf_total": N}
"use strict";
const fs = require("fs");
const acorn = require("acorn");

const [file, sourceType = "script"] = process.argv.slice(2);
const bytes = fs.statSync(file).size;
const text = fs.readFileSync(file, "utf8");

function lineFeeds(from, to) {
  let n = 0;
  for (let i = text.indexOf("\n", from); i !== -1 && i < to; i = text.indexOf("\n", i + 1)) n++;
  return n;
}

let between = 0, tokens = 0, end = 0;
for (const token of acorn.tokenizer(text, { ecmaVersion: "latest", sourceType, allowHashBang: true })) {
  between += lineFeeds(end, token.start);
  end = token.end;
  tokens++;
}
between += lineFeeds(end, text.length);

process.stdout.write(JSON.stringify({ bytes, tokens, lf_between: between, lf_total: lineFeeds(0, text.length) }) + "\n");
