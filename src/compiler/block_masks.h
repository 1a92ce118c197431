// Sorts 64 bytes at once into bit masks, a bit per byte (the first byte is the lowest bit), by
// what the classic scanner makes of a byte between tokens.
// With them the scanner takes whole stretches of identifiers, operator characters and white
// space without a branch per token. What a stretch is and what it writes is the scanner's to
// decide; this layer only finds the bytes.
#pragma once

#include <cstdint>

#include "compiler/byte_skips.h"

namespace qvmin {

struct ClassicBlockMasks {
  std::uint64_t identifier = 0;  // $, _, letters and digits
  std::uint64_t digit = 0;
  std::uint64_t whitespace = 0;  // TAB, LF, CR, SPACE
  std::uint64_t space = 0;       // SPACE alone
  // What a stretch never holds: quotes, the slash, and the bytes the scanner drops (controls other
  // than white space, @, `, DEL and every non-ASCII byte). All the others are operator characters.
  std::uint64_t other = 0;
  // Operator characters that may fuse with one written after them (+ - < !), and those that may
  // fuse with one written before (+ - !).
  std::uint64_t fusingLead = 0;
  std::uint64_t fusingNext = 0;
};

// The masks last taken, kept for a stretch that begins again inside the same 64 bytes of the same
// block (null before the first).
struct BlockMasksCache {
  const unsigned char* at = nullptr;
  ClassicBlockMasks masks;
};

// The masks from `by` bytes into those of `m` on (by < 64): the bits of the last `by` bytes, which
// `m` does not know, are clear.
inline ClassicBlockMasks shiftedMasks(const ClassicBlockMasks& m, unsigned by) {
  return {m.identifier >> by, m.digit >> by,      m.whitespace >> by, m.space >> by,
          m.other >> by,      m.fusingLead >> by, m.fusingNext >> by};
}

// Whether the active width takes 64-byte stretches at all: not in a build that scans a byte at a
// time, nor when a test forces the byte loop.
inline bool blockMasksActive() {
#if defined(QVMIN_VECTOR_SCAN)
  return activeScanWidth != ScanWidth::kScalar;
#else
  return false;
#endif
}

// The masks of the 64 bytes at p, at the active width: 16 bytes at a time, 32 with AVX2, all 64
// in one step with AVX-512. Only called when blockMasksActive().
ClassicBlockMasks classicBlockMasks(const unsigned char* p);

}  // namespace qvmin
