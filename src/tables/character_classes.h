// The six byte classes behind every decision of the list readers and the scanner. Each is a
// 256-entry table indexed by the unsigned byte value; membership is one load.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qvmin {

using CharacterClass = std::array<bool, 256>;

namespace detail {
constexpr CharacterClass makeClass(std::string_view members, unsigned char rangeFirst = 1,
                                   unsigned char rangeLast = 0) {
  CharacterClass table{};
  for (char c : members) table[static_cast<unsigned char>(c)] = true;
  for (unsigned b = rangeFirst; b <= rangeLast; ++b) table[b] = true;
  return table;
}
}  // namespace detail

inline constexpr CharacterClass whitespaceChars = detail::makeClass("\t\n\r ");
inline constexpr CharacterClass identifierStartChars =
    detail::makeClass("$ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
inline constexpr CharacterClass operatorChars = detail::makeClass("!#%&()*+,-./:;<=>?[\\]^{|}~");
inline constexpr CharacterClass hexDigitChars = detail::makeClass("0123456789ABCDEFabcdef");
inline constexpr CharacterClass digitChars = detail::makeClass("0123456789");
// Bytes that may not occur in a listed path: every control byte and * / < > ? |.
inline constexpr CharacterClass invalidFilenameChars = detail::makeClass("*/<>?|", 0x00, 0x1F);

inline bool isMember(const CharacterClass& cls, unsigned char byte) { return cls[byte]; }

}  // namespace qvmin
