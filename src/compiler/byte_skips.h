// Where the common runs of source text end: identifier characters, white space, the body of a
// string. Both scanners skip these runs 16 bytes at a time where the machine can, since they
// make up most of ordinary source text; what a run means is left to the scanner. A run still
// going after its first 16 bytes goes on 32 at a time where the processor has AVX2 (checked
// once, at start-up). Every width finds exactly what the plain byte loop finds; a build with
// QVMIN_SCALAR_SCAN defined takes the byte loop alone, for the tests that compare the two. The
// source map looks for two kinds of bytes of its own the same way: those that do more than move
// the column, and those that a JSON string cannot hold as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && !defined(QVMIN_SCALAR_SCAN)
#define QVMIN_VECTOR_SCAN 1
#include <emmintrin.h>
#endif

#include "tables/character_classes.h"

namespace qvmin {

enum class ScanWidth : std::uint8_t {
  kScalar,  // a byte at a time: always in a build with QVMIN_SCALAR_SCAN; forced in another, the
            // classic scanner takes no 64-byte stretches (block_masks.h), and long runs go 16 at a time
  kSse2,    // 16 bytes at a time
  kAvx2,    // long runs 32 bytes at a time
  kAvx512,  // the same, and the classic scanner's 64-byte masks in one step
};

// The widest this build and processor can do.
ScanWidth widestScanWidth();
// The width long runs take: the widest, unless a test forces a narrower one. Read only once a
// run has gone 16 bytes, so that short tokens pay nothing for the choice; changing it between
// runs is harmless, since every width gives the same results.
extern ScanWidth activeScanWidth;

// The rest of a run that went on past its first 16 bytes, at the active width. Out of line:
// most runs end within 16 bytes, and the scanners' loops stay small.
const unsigned char* skipIdentifierCharsRest(const unsigned char* p, const unsigned char* end);
const unsigned char* skipWhitespaceRest(const unsigned char* p, const unsigned char* end);
const unsigned char* findAnyOfRest(const unsigned char* p, const unsigned char* end, unsigned char a,
                                   unsigned char b, unsigned char c, unsigned char d);

inline constexpr CharacterClass kAsciiIdentifierChars = [] {
  CharacterClass chars{};
  for (int b = 0; b < 256; ++b) chars[b] = identifierStartChars[b] || digitChars[b];
  return chars;
}();

#if defined(QVMIN_VECTOR_SCAN)
// Lanes of v from lo to hi inclusive, as unsigned bytes.
inline __m128i bytesInRange(__m128i v, char lo, char hi) {
  const __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(0x80 - static_cast<unsigned char>(lo))));
  return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(0x80 + (hi - lo + 1))));
}

// The lanes of v that are identifier characters ($, _, letters, digits), all bits set.
inline __m128i identifierBytes(__m128i v) {
  __m128i hit = bytesInRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 'z');
  hit = _mm_or_si128(hit, bytesInRange(v, '0', '9'));
  hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('_')));
  return _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('$')));
}

// The lanes of v that are TAB, LF, CR or SPACE.
inline __m128i whitespaceBytes(__m128i v) {
  __m128i hit = _mm_cmpeq_epi8(v, _mm_set1_epi8(' '));
  hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('\t')));
  hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
  return _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
}

// A bit per lane of the 16 bytes at p: set for identifier characters.
inline unsigned identifierLanes(const unsigned char* p) {
  return static_cast<unsigned>(_mm_movemask_epi8(identifierBytes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))));
}

// A bit per lane of the 16 bytes at p: set for TAB, LF, CR and SPACE.
inline unsigned whitespaceLanes(const unsigned char* p) {
  return static_cast<unsigned>(_mm_movemask_epi8(whitespaceBytes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))));
}
#else
// Without the 16-byte path the runs are skipped a byte at a time and these are never called.
inline unsigned identifierLanes(const unsigned char*) { return 0; }
inline unsigned whitespaceLanes(const unsigned char*) { return 0; }
#endif

// The first byte from p on that is outside the class (lanes gives a bit per byte of 16 that is
// inside; rest goes on with a long run).
template <typename Lanes, typename Rest>
inline const unsigned char* skipClass(const unsigned char* p, const unsigned char* end, const CharacterClass& cls,
                                      [[maybe_unused]] Lanes lanes, [[maybe_unused]] Rest rest) {
#if defined(QVMIN_VECTOR_SCAN)
  if (end - p >= 16) {
    const unsigned outside = ~lanes(p) & 0xFFFFu;
    if (outside != 0) return p + __builtin_ctz(outside);
    return rest(p + 16, end);
  }
#endif
  while (p < end && cls[*p]) ++p;
  return p;
}

// Past ASCII identifier characters: $, _, letters and digits.
inline const unsigned char* skipIdentifierChars(const unsigned char* p, const unsigned char* end) {
  return skipClass(p, end, kAsciiIdentifierChars, identifierLanes, skipIdentifierCharsRest);
}

// Past TAB, LF, CR and SPACE.
inline const unsigned char* skipWhitespace(const unsigned char* p, const unsigned char* end) {
  return skipClass(p, end, whitespaceChars, whitespaceLanes, skipWhitespaceRest);
}

// The 16 bytes at p: a bit per byte that is one of a, b, c, d.
#if defined(QVMIN_VECTOR_SCAN)
inline unsigned anyOfLanes(const unsigned char* p, unsigned char a, unsigned char b, unsigned char c, unsigned char d) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(a))),
                                                _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(b)))),
                                   _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(c))),
                                                _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(d)))));
  return static_cast<unsigned>(_mm_movemask_epi8(hit));
}
#else
inline unsigned anyOfLanes(const unsigned char*, unsigned char, unsigned char, unsigned char, unsigned char) { return 0; }
#endif

// The first byte from p on that is one of the given bytes (up to four; repeat one to use fewer).
inline const unsigned char* findAnyOf(const unsigned char* p, const unsigned char* end, unsigned char a,
                                      unsigned char b, unsigned char c, unsigned char d) {
#if defined(QVMIN_VECTOR_SCAN)
  if (end - p >= 16) {
    const unsigned mask = anyOfLanes(p, a, b, c, d);
    if (mask != 0) return p + __builtin_ctz(mask);
    return findAnyOfRest(p + 16, end, a, b, c, d);
  }
#endif
  while (p < end && *p != a && *p != b && *p != c && *p != d) ++p;
  return p;
}

// The first byte from p on that is the closing quote or a backslash.
inline const unsigned char* skipStringBody(const unsigned char* p, const unsigned char* end, char quote) {
  const auto q = static_cast<unsigned char>(quote);
#if defined(QVMIN_VECTOR_SCAN)
  if (end - p >= 16) {
    const unsigned mask = anyOfLanes(p, q, '\\', q, q);
    if (mask != 0) return p + __builtin_ctz(mask);
    return findAnyOfRest(p + 16, end, q, '\\', q, q);
  }
#endif
  while (p < end && *p != q && *p != '\\') ++p;
  return p;
}

// Past the */ that ends a block comment whose text goes on from `from`; null when these bytes
// hold none. The end is found by the slash, which is rarer than the star (one a line in doc
// comments); a slash first in the bytes ends nothing, since the star before it is the opening
// one or was seen already.
inline const unsigned char* blockCommentEnd(const unsigned char* from, const unsigned char* end) {
  for (const unsigned char* p = from;;) {
    const auto* slash = static_cast<const unsigned char*>(std::memchr(p, '/', static_cast<std::size_t>(end - p)));
    if (slash == nullptr) return nullptr;
    if (slash > from && slash[-1] == '*') return slash + 1;
    p = slash + 1;
  }
}

// A bit per byte of the `size` (at most 64) bytes at p, lowest first: set for LF, CR and
// non-ASCII bytes, which do more than add one to a column.
inline std::uint64_t lineBreakOrNonAsciiBits(const unsigned char* p, std::size_t size) {
  std::uint64_t bits = 0;
  std::size_t at = 0;
#if defined(QVMIN_VECTOR_SCAN)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; size - at >= 16; at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    // The sign bit of a lane is the high bit of a non-ASCII byte.
    const __m128i hit = _mm_or_si128(v, _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    bits |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << at;
  }
#endif
  for (; at < size; ++at) {
    if (p[at] >= 0x80 || p[at] == '\n' || p[at] == '\r') bits |= std::uint64_t{1} << at;
  }
  return bits;
}

#if defined(QVMIN_VECTOR_SCAN)
// A bit per lane of the 16 bytes at p: set for the bytes a JSON string cannot hold as they are
// (controls, quote, backslash) and for non-ASCII bytes, which are checked.
inline unsigned jsonCareLanes(const unsigned char* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Compared as signed bytes, non-ASCII bytes are below the space too.
  const __m128i hit = _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(' ')),
                                   _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'))));
  return static_cast<unsigned>(_mm_movemask_epi8(hit));
}

// The same for the 64 bytes at p, a bit per byte, lowest first.
inline std::uint64_t jsonCareBits(const unsigned char* p) {
  std::uint64_t bits = 0;
  for (int at = 0; at < 64; at += 16) bits |= static_cast<std::uint64_t>(jsonCareLanes(p + at)) << at;
  return bits;
}

// A bit per byte of the 64 bytes at p, lowest first: set for non-ASCII bytes.
inline std::uint64_t nonAsciiBits(const unsigned char* p) {
  std::uint64_t bits = 0;
  for (int at = 0; at < 64; at += 16) {
    bits |= static_cast<std::uint64_t>(static_cast<unsigned>(
                _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)))))
            << at;
  }
  return bits;
}
#endif

}  // namespace qvmin
