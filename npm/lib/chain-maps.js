'use strict';
// Chains two revision 3 source maps: `outer` maps a file to the bundle it was made from, and
// `inner` maps that bundle to its modules. The result maps the file straight to the modules.
// Only what qvmin's own maps use is read: one source in `outer`, no sections.

const BASE64 = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
const DIGIT = new Map([...BASE64].map((c, i) => [c, i]));

// Segments per generated line, fields absolute: [column, source, line, column, name].
function decodeMappings(mappings) {
  const lines = [];
  const state = [0, 0, 0, 0, 0];
  for (const lineText of mappings.split(';')) {
    const segments = [];
    state[0] = 0;
    for (const segmentText of lineText.split(',')) {
      if (segmentText === '') continue;
      const segment = [];
      let value = 0;
      let shift = 0;
      for (const c of segmentText) {
        const digit = DIGIT.get(c);
        value += (digit & 31) << shift;
        if (digit & 32) {
          shift += 5;
          continue;
        }
        const field = segment.length;
        state[field] += value & 1 ? -(value >>> 1) : value >>> 1;
        segment.push(state[field]);
        value = 0;
        shift = 0;
      }
      segments.push(segment);
    }
    lines.push(segments);
  }
  return lines;
}

function encodeValue(value) {
  let vlq = value < 0 ? (-value << 1) | 1 : value << 1;
  let text = '';
  do {
    let digit = vlq & 31;
    vlq >>>= 5;
    if (vlq > 0) digit |= 32;
    text += BASE64[digit];
  } while (vlq > 0);
  return text;
}

function encodeMappings(lines) {
  const state = [0, 0, 0, 0, 0];
  return lines.map((segments) => {
    state[0] = 0;
    return segments.map((segment) => segment.map((value, field) => {
      const text = encodeValue(value - state[field]);
      state[field] = value;
      return text;
    }).join('')).join(',');
  }).join(';');
}

// The segment of a line that covers column: the last one starting at or before it.
function covering(segments, column) {
  let low = 0;
  let high = segments.length - 1;
  let found = null;
  while (low <= high) {
    const middle = (low + high) >> 1;
    if (segments[middle][0] <= column) {
      found = segments[middle];
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return found;
}

function chainMaps(outer, inner) {
  const outerLines = decodeMappings(outer.mappings);
  const innerLines = decodeMappings(inner.mappings);
  const names = [];
  const nameIndex = new Map();
  const nameOf = (name) => {
    if (!nameIndex.has(name)) {
      nameIndex.set(name, names.length);
      names.push(name);
    }
    return nameIndex.get(name);
  };
  const lines = outerLines.map((segments) => {
    const chained = [];
    for (const segment of segments) {
      if (segment.length < 4) continue;
      const target = covering(innerLines[segment[2]] || [], segment[3]);
      if (target === null || target.length < 4) continue;
      const result = [segment[0], target[1], target[2], target[3]];
      // The module's own name where the bundler renamed it, else the bundle's.
      if (target.length === 5 && target[0] === segment[3]) result.push(nameOf(inner.names[target[4]]));
      else if (segment.length === 5) result.push(nameOf(outer.names[segment[4]]));
      chained.push(result);
    }
    return chained;
  });
  const map = { version: 3, file: outer.file, sources: inner.sources };
  if (inner.sourceRoot) map.sourceRoot = inner.sourceRoot;
  if (inner.sourcesContent) map.sourcesContent = inner.sourcesContent;
  map.names = names;
  map.mappings = encodeMappings(lines);
  return map;
}

module.exports = { chainMaps, decodeMappings, encodeMappings };
