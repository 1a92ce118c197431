// The masks of block_masks.h at each width. The wider code is compiled for its instruction set
// function by function, and runs only once the processor has been found to have it.
#include "compiler/block_masks.h"

#if !defined(QVMIN_VECTOR_SCAN)
namespace qvmin {
// A build that scans a byte at a time never takes a stretch.
ClassicBlockMasks classicBlockMasks(const unsigned char*) { return {}; }
}  // namespace qvmin
#else

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define QVMIN_HAS_WIDE_MASKS 1
#include "compiler/byte_lanes_avx2.h"
#endif

namespace qvmin {
namespace {

ClassicBlockMasks masks16(const unsigned char* p) {
  ClassicBlockMasks m;
  for (int at = 0; at < 64; at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    auto eq = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    auto bits = [&](__m128i lanes) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(lanes))) << at;
    };
    const __m128i digit = bytesInRange(v, '0', '9');
    const __m128i identifier = identifierBytes(v);
    const __m128i space = eq(' ');
    const __m128i whitespace = whitespaceBytes(v);
    // Compared as signed bytes, non-ASCII bytes are below the space too.
    const __m128i low = _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(' ')), eq(0x7F));
    const __m128i other = _mm_or_si128(_mm_or_si128(_mm_or_si128(eq('"'), eq('\'')), _mm_or_si128(eq('/'), eq('@'))),
                                       _mm_or_si128(eq('`'), _mm_andnot_si128(whitespace, low)));
    const __m128i fusingNext = _mm_or_si128(_mm_or_si128(eq('+'), eq('-')), eq('!'));
    m.identifier |= bits(identifier);
    m.digit |= bits(digit);
    m.whitespace |= bits(whitespace);
    m.space |= bits(space);
    m.other |= bits(other);
    m.fusingNext |= bits(fusingNext);
    m.fusingLead |= bits(_mm_or_si128(fusingNext, eq('<')));
  }
  return m;
}

#if defined(QVMIN_HAS_WIDE_MASKS)
// A set of bytes with a different low nibble each, as a table by that nibble (repeated for each
// 16-byte lane): a byte is in the set when it equals its nibble's entry. Other entries hold 0x80,
// which no byte looked up by its nibble equals: a byte from 0x80 on looks up 0 instead.
struct NibbleSet {
  alignas(64) char entries[64];
};
constexpr NibbleSet nibbleSet(const char* members) {
  NibbleSet set{};
  for (char& entry : set.entries) entry = static_cast<char>(0x80);
  for (; *members != 0; ++members) {
    for (int lane = 0; lane < 64; lane += 16) set.entries[lane + (*members & 0x0F)] = *members;
  }
  return set;
}
constexpr NibbleSet kWhitespaceSet = nibbleSet(" \t\n\r");
constexpr NibbleSet kFusingLeadSet = nibbleSet("!+<-");
constexpr NibbleSet kQuoteLikeSet = nibbleSet("\"'/@");  // of the bytes a stretch never holds

[[gnu::target("avx2")]] inline __m256i equal32(__m256i v, char c) { return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c)); }
[[gnu::target("avx2")]] inline __m256i inSet32(__m256i v, const NibbleSet& set) {
  const __m256i table = _mm256_load_si256(reinterpret_cast<const __m256i*>(set.entries));
  return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, v), v);
}
[[gnu::target("avx2")]] inline std::uint64_t bits32(__m256i lanes, int at) {
  return static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(lanes))) << at;
}

[[gnu::target("avx2")]] ClassicBlockMasks masks32(const unsigned char* p) {
  ClassicBlockMasks m;
  for (int at = 0; at < 64; at += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at));
    const __m256i digit = bytesInRange32(v, '0', '9');
    const __m256i identifier = identifierBytes32(v);
    const __m256i whitespace = inSet32(v, kWhitespaceSet);
    // Compared as signed bytes, non-ASCII bytes are below the space too.
    const __m256i low = _mm256_or_si256(_mm256_cmpgt_epi8(_mm256_set1_epi8(' '), v), equal32(v, 0x7F));
    const __m256i other = _mm256_or_si256(_mm256_or_si256(inSet32(v, kQuoteLikeSet), equal32(v, '`')),
                                          _mm256_andnot_si256(whitespace, low));
    const __m256i fusingLead = inSet32(v, kFusingLeadSet);
    m.identifier |= bits32(identifier, at);
    m.digit |= bits32(digit, at);
    m.whitespace |= bits32(whitespace, at);
    m.space |= bits32(equal32(v, ' '), at);
    m.other |= bits32(other, at);
    m.fusingLead |= bits32(fusingLead, at);
    m.fusingNext |= bits32(_mm256_andnot_si256(equal32(v, '<'), fusingLead), at);
  }
  return m;
}

[[gnu::target("avx512bw")]] inline std::uint64_t equal64(__m512i v, char c) {
  return _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(c));
}
// Lanes from lo, `count` values on, as unsigned bytes.
[[gnu::target("avx512bw")]] inline std::uint64_t inRange64(__m512i v, char lo, char count) {
  return _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(lo)), _mm512_set1_epi8(count));
}
[[gnu::target("avx512bw")]] inline std::uint64_t inSet64(__m512i v, const NibbleSet& set) {
  const __m512i table = _mm512_load_si512(set.entries);
  return _mm512_cmpeq_epi8_mask(_mm512_shuffle_epi8(table, v), v);
}

[[gnu::target("avx512bw")]] ClassicBlockMasks masks64(const unsigned char* p) {
  const __m512i v = _mm512_loadu_si512(p);
  ClassicBlockMasks m;
  m.digit = inRange64(v, '0', 10);
  m.identifier = inRange64(_mm512_or_si512(v, _mm512_set1_epi8(0x20)), 'a', 26) | m.digit | equal64(v, '_') | equal64(v, '$');
  m.space = equal64(v, ' ');
  m.whitespace = inSet64(v, kWhitespaceSet);
  // Controls, DEL and non-ASCII bytes: from DEL on, and below the space, as unsigned bytes.
  const std::uint64_t low = inRange64(v, 0x7F, static_cast<char>(0xA1));
  m.other = inSet64(v, kQuoteLikeSet) | equal64(v, '`') | (low & ~m.whitespace);
  m.fusingLead = inSet64(v, kFusingLeadSet);
  m.fusingNext = m.fusingLead & ~equal64(v, '<');
  return m;
}

#endif

}  // namespace

ClassicBlockMasks classicBlockMasks(const unsigned char* p) {
#if defined(QVMIN_HAS_WIDE_MASKS)
  if (activeScanWidth == ScanWidth::kAvx512) return masks64(p);
  if (activeScanWidth == ScanWidth::kAvx2) return masks32(p);
#endif
  return masks16(p);
}

}  // namespace qvmin

#endif
