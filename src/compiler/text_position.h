// A line and a column in UTF-8 text, the column counted in UTF-16 code units as source maps
// count it. Lines end at LF, CR, CR LF, U+2028 and U+2029, the line terminators of JavaScript.
#pragma once

#include <cstdint>
#include <string_view>

namespace qvmin {

struct TextPosition {
  std::uint32_t line = 0;
  std::uint32_t column = 0;
  // What the last bytes leave open: a CR (an LF next ends no new line) or the first bytes of
  // U+2028 / U+2029.
  enum : std::uint8_t { kPlain, kAfterCr, kAfterE2, kAfterE280 };
  std::uint8_t state = kPlain;

  // Moves past bytes.
  void advance(std::string_view bytes) {
    std::uint32_t l = line, c = column;
    std::uint8_t s = state;
    for (const char ch : bytes) {
      const auto b = static_cast<unsigned char>(ch);
      if (b < 0x80) {
        if (b == '\n' || b == '\r') {
          if (b == '\r' || s != kAfterCr) ++l;
          c = 0;
          s = b == '\r' ? kAfterCr : kPlain;
        } else {
          ++c;
          s = kPlain;
        }
      } else if (b >= 0xC0) {
        // A lead byte; four-byte sequences are surrogate pairs in UTF-16.
        c += b >= 0xF0 ? 2 : 1;
        s = b == 0xE2 ? kAfterE2 : kPlain;
      } else if (s == kAfterE2 && b == 0x80) {
        s = kAfterE280;
      } else {
        if (s == kAfterE280 && (b == 0xA8 || b == 0xA9)) {
          ++l;
          c = 0;
        }
        s = kPlain;
      }
    }
    line = l;
    column = c;
    state = s;
  }
};

}  // namespace qvmin
