// A line and a column in UTF-8 text, the column counted in UTF-16 code units as source maps
// count it. Lines end at LF, CR, CR LF, U+2028 and U+2029, the line terminators of JavaScript.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "compiler/byte_skips.h"

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

// Follows a TextPosition forward through text that may arrive in pieces, one offset at a time.
// ASCII bytes other than LF and CR only add to the column, so only the other bytes are visited:
// they are found 64 bytes at a time, kept as a bit mask, and taken from it one by one. A move
// that stays before the next of them costs a comparison and an addition.
struct TextCursor {
  TextPosition position;
  std::uint64_t at = 0;          // the offset `position` is at
  std::uint64_t plainUntil = 0;  // the bytes from `at` up to this offset only add to the column
  // The bytes looked at last: from maskBase up to maskEnd, a bit in `mask` for each byte not
  // yet passed that does more than add to the column. Beyond maskEnd nothing is known.
  std::uint64_t maskBase = 0;
  std::uint64_t maskEnd = 0;
  std::uint64_t mask = 0;

  // Moves forward to `to` (at or after `at`). `text` holds the bytes from offset `start` up to
  // at least `to`; bytes before `at` need not be there.
  [[gnu::always_inline]] void moveTo(std::string_view text, std::uint64_t start, std::uint64_t to) {
    while (to > plainUntil) [[unlikely]] {
      crossColumnBytes(plainUntil);
      if (at == maskEnd) {
        lookFrom(text, start, at);
        continue;
      }
      const auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(at - start)]);
      if (byte == '\n' && position.state != TextPosition::kAfterCr) {
        ++position.line;
        position.column = 0;
        position.state = TextPosition::kPlain;
      } else {
        position.advance(std::string_view(reinterpret_cast<const char*>(&byte), 1));
      }
      ++at;
      mask &= mask - 1;
      plainUntil = mask != 0 ? maskBase + static_cast<std::uint64_t>(__builtin_ctzll(mask)) : maskEnd;
    }
    crossColumnBytes(to);
  }

 private:
  void crossColumnBytes(std::uint64_t to) {
    if (to == at) return;
    position.column += static_cast<std::uint32_t>(to - at);
    position.state = TextPosition::kPlain;
    at = to;
  }

  // Looks at the text from `from` on, up to the next byte that does more than add to the
  // column or to the end of the text.
  void lookFrom(std::string_view text, std::uint64_t start, std::uint64_t from) {
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::uint64_t end = start + text.size();
    for (;;) {
      const std::size_t size = end - from < 64 ? static_cast<std::size_t>(end - from) : 64;
      maskBase = from;
      maskEnd = from + size;
      mask = lineBreakOrNonAsciiBits(bytes + (from - start), size);
      if (mask != 0 || maskEnd == end) break;
      from = maskEnd;
    }
    plainUntil = mask != 0 ? maskBase + static_cast<std::uint64_t>(__builtin_ctzll(mask)) : maskEnd;
  }
};

}  // namespace qvmin
