// Writes the segments of a Source Map revision 3 `mappings` string: each field a difference from
// the same field of the segment before, as a Base64 variable-length quantity, a comma between
// segments and a semicolon for each generated line closed. Segments go straight into the map's
// buffer, a reserved stretch at a time.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "compiler/output_buffer.h"

namespace qvmin {

namespace vlq {

inline constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The differences that take one or two digits, which are nearly all of them, spelled out: the
// digits in the low two bytes, their count in the third.
inline constexpr std::int64_t kShortestLong = 512;  // the smallest magnitude that takes three digits
inline constexpr std::array<std::uint32_t, 2 * kShortestLong - 1> kShort = [] {
  std::array<std::uint32_t, 2 * kShortestLong - 1> spelled{};
  for (std::int64_t value = 1 - kShortestLong; value < kShortestLong; ++value) {
    const auto rest = static_cast<std::uint32_t>(value < 0 ? (-value << 1) | 1 : value << 1);
    const auto first = static_cast<unsigned char>(kBase64Digits[rest < 32 ? rest : (rest & 31) | 32]);
    const auto second = static_cast<unsigned char>(rest < 32 ? 0 : kBase64Digits[rest >> 5]);
    const std::uint32_t digits = rest < 32 ? 1 : 2;
    spelled[static_cast<std::size_t>(value + kShortestLong - 1)] = digits << 16 | first | second << 8;
  }
  return spelled;
}();

// The one-digit quantities, -15 to 15, from index 0.
inline constexpr std::array<char, 31> kOneDigit = [] {
  std::array<char, 31> spelled{};
  for (int value = -15; value <= 15; ++value) spelled[value + 15] = kBase64Digits[value < 0 ? (-value << 1) | 1 : value << 1];
  return spelled;
}();

// Writes one quantity: the sign in the lowest bit, five bits per digit, low first. A short one
// writes a spare byte after its digits, which the next field or segment overwrites.
[[gnu::always_inline]] inline char* put(char* to, std::int64_t value) {
  const auto index = static_cast<std::uint64_t>(value + kShortestLong - 1);
  if (index < kShort.size()) [[likely]] {
    const std::uint32_t spelled = kShort[index];
    to[0] = static_cast<char>(spelled & 0xFF);
    to[1] = static_cast<char>(spelled >> 8 & 0xFF);
    return to + (spelled >> 16);
  }
  std::uint64_t rest = value < 0 ? (static_cast<std::uint64_t>(-value) << 1) | 1 : static_cast<std::uint64_t>(value) << 1;
  do {
    unsigned digit = rest & 31;
    rest >>= 5;
    if (rest != 0) digit |= 32;
    *to++ = kBase64Digits[digit];
  } while (rest != 0);
  return to;
}

}  // namespace vlq

// What the next segment is written against: the fields of the last one.
struct MappingsState {
  std::uint32_t line = 0;  // the generated line being written
  bool lineHasSegment = false;
  std::uint32_t generatedColumn = 0;
  std::uint32_t file = 0;
  std::uint32_t sourceLine = 0;
  std::uint32_t sourceColumn = 0;
  std::int32_t name = 0;
};

struct Segment {
  std::uint32_t generatedLine;
  std::uint32_t generatedColumn;
  std::uint32_t file;
  std::uint32_t sourceLine;
  std::uint32_t sourceColumn;
  std::int32_t name;  // -1: none
};

// The map's buffer must hold this much: segments are written into it a stretch at a time.
inline constexpr std::size_t kMappingsStretch = 4096;

// Writes `count` segments after those that left `state`, and returns the state they leave. One
// loop with the fields in locals, which the compiler keeps in registers: it runs once per token.
inline MappingsState writeSegments(OutputBuffer& map, MappingsState state, const Segment* segments, std::size_t count) {
  // A comma and five fields, each the difference of two 32-bit numbers: at most 7 digits; and
  // the spare byte of a short field.
  constexpr std::size_t kLongest = 1 + 5 * 7 + 1;
  char* to = map.reserve(kMappingsStretch);
  char* limit = to + kMappingsStretch;
  std::uint32_t line = state.line;
  bool lineHasSegment = state.lineHasSegment;
  std::uint32_t generatedColumn = state.generatedColumn, file = state.file;
  std::uint32_t sourceLine = state.sourceLine, sourceColumn = state.sourceColumn;
  std::int32_t name = state.name;
  for (const Segment* segment = segments; segment != segments + count; ++segment) {
    if (segment->generatedLine != line) [[unlikely]] {
      for (; line < segment->generatedLine; ++line) {
        if (to == limit) {
          map.commit(to);
          to = map.reserve(kMappingsStretch);
          limit = to + kMappingsStretch;
        }
        *to++ = ';';
      }
      lineHasSegment = false;
      generatedColumn = 0;
    }
    if (static_cast<std::size_t>(limit - to) < kLongest) [[unlikely]] {
      map.commit(to);
      to = map.reserve(kMappingsStretch);
      limit = to + kMappingsStretch;
    }
    *to = ',';
    to += lineHasSegment ? 1 : 0;
    lineHasSegment = true;
    const std::uint32_t generatedStep = segment->generatedColumn - generatedColumn;
    const std::uint32_t sourceStep = segment->sourceColumn - sourceColumn + 15;
    if (segment->file == file && segment->sourceLine == sourceLine && generatedStep < 16 && sourceStep < 31) {
      // Most tokens are a few columns after the last, on the same lines: four one-digit fields.
      to[0] = vlq::kBase64Digits[generatedStep << 1];
      to[1] = 'A';
      to[2] = 'A';
      to[3] = vlq::kOneDigit[sourceStep];
      to += 4;
    } else {
      to = vlq::put(to, static_cast<std::int64_t>(segment->generatedColumn) - generatedColumn);
      to = vlq::put(to, static_cast<std::int64_t>(segment->file) - file);
      to = vlq::put(to, static_cast<std::int64_t>(segment->sourceLine) - sourceLine);
      to = vlq::put(to, static_cast<std::int64_t>(segment->sourceColumn) - sourceColumn);
    }
    generatedColumn = segment->generatedColumn;
    file = segment->file;
    sourceLine = segment->sourceLine;
    sourceColumn = segment->sourceColumn;
    if (segment->name >= 0) {
      to = vlq::put(to, static_cast<std::int64_t>(segment->name) - name);
      name = segment->name;
    }
  }
  map.commit(to);
  return MappingsState{line, lineHasSegment, generatedColumn, file, sourceLine, sourceColumn, name};
}

}  // namespace qvmin
