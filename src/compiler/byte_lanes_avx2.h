// 32-byte lane tests shared by the AVX2 paths (byte_skips_wide.cc, block_masks_wide.cc). Only a
// file compiled with <immintrin.h> for x86 includes it; each function is compiled for AVX2 on
// its own and runs only once the processor has been found to have it.
#pragma once

#include <immintrin.h>

namespace qvmin {

// Lanes of v from lo to hi inclusive, as unsigned bytes.
[[gnu::target("avx2")]] inline __m256i bytesInRange32(__m256i v, char lo, char hi) {
  const __m256i shifted = _mm256_add_epi8(v, _mm256_set1_epi8(static_cast<char>(0x80 - static_cast<unsigned char>(lo))));
  return _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(0x80 + (hi - lo + 1))), shifted);
}

// The lanes of v that are identifier characters ($, _, letters, digits).
[[gnu::target("avx2")]] inline __m256i identifierBytes32(__m256i v) {
  __m256i hit = bytesInRange32(_mm256_or_si256(v, _mm256_set1_epi8(0x20)), 'a', 'z');
  hit = _mm256_or_si256(hit, bytesInRange32(v, '0', '9'));
  hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(v, _mm256_set1_epi8('_')));
  return _mm256_or_si256(hit, _mm256_cmpeq_epi8(v, _mm256_set1_epi8('$')));
}

}  // namespace qvmin
