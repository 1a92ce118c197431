// What the escapes of identifiers and strings (\x41, \u0041, \u{41}) decode to.
#pragma once

#include <cstdint>
#include <string>

#include "tables/character_classes.h"

namespace qvmin {

inline bool isHexDigit(unsigned char b) { return hexDigitChars[b]; }
inline unsigned hexValue(unsigned char b) { return b <= '9' ? b - '0' : (b | 0x20u) - 'a' + 10; }

// A code point as UTF-8; a lone surrogate as the three bytes it would take, so that every
// escape has one spelling.
inline void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace qvmin
