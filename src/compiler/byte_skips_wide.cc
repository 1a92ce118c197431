// The long-run paths of byte_skips.h: 16 bytes at a time, or 32 where the processor has AVX2.
// The AVX2 code is compiled for it function by function (the rest of the program keeps the
// baseline instruction set) and runs only once the processor has been found to have it.
#include "compiler/byte_skips.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && defined(QVMIN_VECTOR_SCAN)
#define QVMIN_HAS_AVX2_PATH 1
#include "compiler/byte_lanes_avx2.h"
#endif

namespace qvmin {

ScanWidth widestScanWidth() {
#if defined(QVMIN_HAS_AVX2_PATH)
  if (__builtin_cpu_supports("avx512bw")) return ScanWidth::kAvx512;
  if (__builtin_cpu_supports("avx2")) return ScanWidth::kAvx2;
#endif
#if defined(QVMIN_VECTOR_SCAN)
  return ScanWidth::kSse2;
#else
  return ScanWidth::kScalar;
#endif
}

ScanWidth activeScanWidth = widestScanWidth();

namespace {

#if defined(QVMIN_HAS_AVX2_PATH)
[[gnu::target("avx2")]] inline unsigned identifierLanes32(const unsigned char* p) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  return static_cast<unsigned>(_mm256_movemask_epi8(identifierBytes32(v)));
}

[[gnu::target("avx2")]] inline unsigned anyOfLanes32(const unsigned char* p, unsigned char a, unsigned char b,
                                                     unsigned char c, unsigned char d) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i hit = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(a))),
                                                      _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(b)))),
                                      _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(c))),
                                                      _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(d)))));
  return static_cast<unsigned>(_mm256_movemask_epi8(hit));
}

// Each takes 32 bytes while it can: the stop it found (`stopped` set), or where the last few
// bytes begin, for the 16-byte loop.
[[gnu::target("avx2")]] const unsigned char* identifierRun32(const unsigned char* p, const unsigned char* end,
                                                             bool& stopped) {
  for (; end - p >= 32; p += 32) {
    const unsigned outside = ~identifierLanes32(p);
    if (outside != 0) {
      stopped = true;
      return p + __builtin_ctz(outside);
    }
  }
  return p;
}

[[gnu::target("avx2")]] const unsigned char* anyOfRun32(const unsigned char* p, const unsigned char* end,
                                                         unsigned char a, unsigned char b, unsigned char c,
                                                         unsigned char d, bool inside, bool& stopped) {
  for (; end - p >= 32; p += 32) {
    const unsigned hits = anyOfLanes32(p, a, b, c, d);
    const unsigned stops = inside ? ~hits : hits;
    if (stops != 0) {
      stopped = true;
      return p + __builtin_ctz(stops);
    }
  }
  return p;
}
#else
// Without an AVX2 path the 32-byte runs are never taken.
const unsigned char* identifierRun32(const unsigned char* p, const unsigned char*, bool&) { return p; }
const unsigned char* anyOfRun32(const unsigned char* p, const unsigned char*, unsigned char, unsigned char,
                                unsigned char, unsigned char, bool, bool&) {
  return p;
}
#endif

}  // namespace

namespace {

// The rest of a run: 32 bytes at a time where AVX2 (or wider) is active, then 16, then a byte at a
// time.
// run32 finds the stop in 32-byte steps, stops16 gives a bit per stop byte of 16, stops tells
// one byte.
template <typename Run32, typename Stops16, typename Stops>
const unsigned char* restOfRun(const unsigned char* p, const unsigned char* end, [[maybe_unused]] Run32 run32,
                               [[maybe_unused]] Stops16 stops16, Stops stops) {
#if defined(QVMIN_HAS_AVX2_PATH)
  if (activeScanWidth >= ScanWidth::kAvx2) {
    bool stopped = false;
    p = run32(p, end, stopped);
    if (stopped) return p;
  }
#endif
#if defined(QVMIN_VECTOR_SCAN)
  for (; end - p >= 16; p += 16) {
    const unsigned bits = stops16(p);
    if (bits != 0) return p + __builtin_ctz(bits);
  }
#endif
  while (p < end && !stops(*p)) ++p;
  return p;
}

}  // namespace

const unsigned char* skipIdentifierCharsRest(const unsigned char* p, const unsigned char* end) {
  return restOfRun(
      p, end, [](const unsigned char* at, const unsigned char* to, bool& stopped) { return identifierRun32(at, to, stopped); },
      [](const unsigned char* at) { return ~identifierLanes(at) & 0xFFFFu; },
      [](unsigned char c) { return !kAsciiIdentifierChars[c]; });
}

const unsigned char* skipWhitespaceRest(const unsigned char* p, const unsigned char* end) {
  return restOfRun(
      p, end,
      [](const unsigned char* at, const unsigned char* to, bool& stopped) {
        return anyOfRun32(at, to, ' ', '\t', '\n', '\r', true, stopped);
      },
      [](const unsigned char* at) { return ~whitespaceLanes(at) & 0xFFFFu; },
      [](unsigned char c) { return !whitespaceChars[c]; });
}

const unsigned char* findAnyOfRest(const unsigned char* p, const unsigned char* end, unsigned char a, unsigned char b,
                                   unsigned char c, unsigned char d) {
  return restOfRun(
      p, end,
      [=](const unsigned char* at, const unsigned char* to, bool& stopped) {
        return anyOfRun32(at, to, a, b, c, d, false, stopped);
      },
      [=](const unsigned char* at) { return anyOfLanes(at, a, b, c, d); },
      [=](unsigned char x) { return x == a || x == b || x == c || x == d; });
}

}  // namespace qvmin
