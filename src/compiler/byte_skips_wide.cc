// The long-run paths of byte_skips.h, 32 bytes at a time. Compiled for AVX2 function by function
// (the rest of the program keeps the baseline instruction set) and called only once the
// processor has been found to have it.
#include "compiler/byte_skips.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && defined(__SSE2__)
#define QVMIN_HAS_AVX2_PATH 1
#include <immintrin.h>
#endif

namespace qvmin {

ScanWidth widestScanWidth() {
#if defined(QVMIN_HAS_AVX2_PATH)
  if (__builtin_cpu_supports("avx2")) return ScanWidth::kAvx2;
#endif
#if defined(__SSE2__)
  return ScanWidth::kSse2;
#else
  return ScanWidth::kScalar;
#endif
}

ScanWidth activeScanWidth = widestScanWidth();

#if defined(QVMIN_HAS_AVX2_PATH)
namespace {

[[gnu::target("avx2")]] inline __m256i bytesInRange32(__m256i v, char lo, char hi) {
  const __m256i shifted = _mm256_add_epi8(v, _mm256_set1_epi8(static_cast<char>(0x80 - static_cast<unsigned char>(lo))));
  return _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(0x80 + (hi - lo + 1))), shifted);
}

[[gnu::target("avx2")]] inline unsigned identifierLanes32(const unsigned char* p) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  __m256i hit = bytesInRange32(_mm256_or_si256(v, _mm256_set1_epi8(0x20)), 'a', 'z');
  hit = _mm256_or_si256(hit, bytesInRange32(v, '0', '9'));
  hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(v, _mm256_set1_epi8('_')));
  hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(v, _mm256_set1_epi8('$')));
  return static_cast<unsigned>(_mm256_movemask_epi8(hit));
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

}  // namespace

// Each loop takes 32 bytes while it can, then leaves the last few to the byte loop.
[[gnu::target("avx2")]] const unsigned char* skipIdentifierCharsWide(const unsigned char* p, const unsigned char* end) {
  for (; end - p >= 32; p += 32) {
    const unsigned outside = ~identifierLanes32(p);
    if (outside != 0) return p + __builtin_ctz(outside);
  }
  while (p < end && kAsciiIdentifierChars[*p]) ++p;
  return p;
}

[[gnu::target("avx2")]] const unsigned char* skipWhitespaceWide(const unsigned char* p, const unsigned char* end) {
  for (; end - p >= 32; p += 32) {
    const unsigned outside = ~anyOfLanes32(p, ' ', '\t', '\n', '\r');
    if (outside != 0) return p + __builtin_ctz(outside);
  }
  while (p < end && whitespaceChars[*p]) ++p;
  return p;
}

[[gnu::target("avx2")]] const unsigned char* findAnyOfWide(const unsigned char* p, const unsigned char* end,
                                                           unsigned char a, unsigned char b, unsigned char c,
                                                           unsigned char d) {
  for (; end - p >= 32; p += 32) {
    const unsigned hit = anyOfLanes32(p, a, b, c, d);
    if (hit != 0) return p + __builtin_ctz(hit);
  }
  while (p < end && *p != a && *p != b && *p != c && *p != d) ++p;
  return p;
}

[[gnu::target("avx2")]] const unsigned char* skipStringBodyWide(const unsigned char* p, const unsigned char* end,
                                                                char quote) {
  const auto q = static_cast<unsigned char>(quote);
  return findAnyOfWide(p, end, q, '\\', q, q);
}

#else

// Without an AVX2 path these are never called; they still find what the byte loop finds.
const unsigned char* skipIdentifierCharsWide(const unsigned char* p, const unsigned char* end) {
  while (p < end && kAsciiIdentifierChars[*p]) ++p;
  return p;
}
const unsigned char* skipWhitespaceWide(const unsigned char* p, const unsigned char* end) {
  while (p < end && whitespaceChars[*p]) ++p;
  return p;
}
const unsigned char* findAnyOfWide(const unsigned char* p, const unsigned char* end, unsigned char a, unsigned char b,
                                   unsigned char c, unsigned char d) {
  while (p < end && *p != a && *p != b && *p != c && *p != d) ++p;
  return p;
}
const unsigned char* skipStringBodyWide(const unsigned char* p, const unsigned char* end, char quote) {
  const auto q = static_cast<unsigned char>(quote);
  while (p < end && *p != q && *p != '\\') ++p;
  return p;
}

#endif

}  // namespace qvmin
