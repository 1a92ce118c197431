// What classifying source text 64 bytes at a time into bit masks costs, to set beside the
// scanner alone: the six classes a scanner walking tokens by masks would need (identifier
// characters, white space, quotes, slashes, backslashes, line terminators), with SSE2, over a
// whole file held in memory. Not part of the build (x86 only); by hand:
//
//   g++ -O2 -std=c++20 bench/mask_cost.cc -o build/mask_cost && build/mask_cost bench/corpus/corpus.js
#include <emmintrin.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

inline __m128i inRange(__m128i v, char lo, char hi) {
  const __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(0x80 - static_cast<unsigned char>(lo))));
  return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(0x80 + (hi - lo + 1))));
}
inline __m128i is(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }
inline std::uint64_t bits(__m128i m, int lane) {
  return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m))) << (16 * lane);
}

struct Masks {
  std::uint64_t identifier = 0, space = 0, quote = 0, slash = 0, backslash = 0, lineEnd = 0;
};

inline Masks classify(const unsigned char* p) {
  Masks m;
  for (int lane = 0; lane < 4; ++lane) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * lane));
    const __m128i word = _mm_or_si128(_mm_or_si128(inRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 'z'), inRange(v, '0', '9')),
                                      _mm_or_si128(is(v, '_'), is(v, '$')));
    const __m128i lineEnd = _mm_or_si128(is(v, '\n'), is(v, '\r'));
    m.identifier |= bits(word, lane);
    m.lineEnd |= bits(lineEnd, lane);
    m.space |= bits(_mm_or_si128(lineEnd, _mm_or_si128(is(v, ' '), is(v, '\t'))), lane);
    m.quote |= bits(_mm_or_si128(is(v, '"'), is(v, '\'')), lane);
    m.slash |= bits(is(v, '/'), lane);
    m.backslash |= bits(is(v, '\\'), lane);
  }
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mask_cost input.js\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t whole = text.size() / 64 * 64;
  constexpr int kRounds = 21;
  double best = 1e9;
  std::uint64_t sink = 0;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < whole; at += 64) {
      const Masks m = classify(bytes + at);
      sink += m.identifier ^ m.space ^ m.quote ^ m.slash ^ m.backslash ^ m.lineEnd;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms < best) best = ms;
  }
  std::printf("%zu bytes classified into six masks: %.2f ms (fastest of %d), %.0f MB/s  [%llu]\n", whole, best, kRounds,
              static_cast<double>(whole) / best / 1000.0, static_cast<unsigned long long>(sink & 1));
  return 0;
}
