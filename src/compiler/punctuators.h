// The punctuators of JavaScript, read by longest match.
#pragma once

#include <cstddef>

#include "tables/character_classes.h"

namespace qvmin {

// The length of the punctuator at p, by longest match (not /, handled apart). kBounded: the bytes
// may end before p + 4.
template <bool kBounded>
[[gnu::always_inline]] inline std::size_t punctuatorLengthWith(const unsigned char* p, const unsigned char* end) {
  auto at = [&](std::ptrdiff_t i) -> unsigned char { return !kBounded || p + i < end ? p[i] : 0; };
  const unsigned char c = p[0];
  const unsigned char c1 = at(1);
  switch (c) {
    case '.':
      return c1 == '.' && at(2) == '.' ? 3 : 1;
    case '<':
      if (c1 == '<') return at(2) == '=' ? 3 : 2;
      return c1 == '=' ? 2 : 1;
    case '>':
      if (c1 == '>') {
        if (at(2) == '>') return at(3) == '=' ? 4 : 3;
        return at(2) == '=' ? 3 : 2;
      }
      return c1 == '=' ? 2 : 1;
    case '=':
      if (c1 == '=') return at(2) == '=' ? 3 : 2;
      return c1 == '>' ? 2 : 1;
    case '!':
      if (c1 == '=') return at(2) == '=' ? 3 : 2;
      return 1;
    case '+':
    case '-':
      return c1 == c || c1 == '=' ? 2 : 1;
    case '*':
      if (c1 == '*') return at(2) == '=' ? 3 : 2;
      return c1 == '=' ? 2 : 1;
    case '&':
    case '|':
      if (c1 == c) return at(2) == '=' ? 3 : 2;
      return c1 == '=' ? 2 : 1;
    case '%':
    case '^':
      return c1 == '=' ? 2 : 1;
    case '?':
      if (c1 == '?') return at(2) == '=' ? 3 : 2;
      return c1 == '.' && !digitChars[at(2)] ? 2 : 1;
    default:
      return 1;
  }
}

[[gnu::always_inline]] inline std::size_t punctuatorLength(const unsigned char* p, const unsigned char* end) {
  // The longest punctuator has four bytes: with four in hand no byte needs a bounds check.
  return end - p >= 4 ? punctuatorLengthWith<false>(p, end) : punctuatorLengthWith<true>(p, end);
}

}  // namespace qvmin
