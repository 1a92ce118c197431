// CharList collects the bytes of a line or token and spells numbers in base 52. It is a
// contiguous byte buffer: appending is amortised O(1) and the text is read without copying.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qvmin {

// Digit characters of the base-52 spelling: 0..25 are a..z, 26..51 are A..Z.
inline constexpr char charListAlphabet[52] = {
    'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q', 'r',
    's', 't', 'u', 'v', 'w', 'x', 'y', 'z', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J',
    'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z'};

struct CharList {
  std::string bytes;
};

// An owned, NUL-terminated copy of a list's bytes; text is null when length is 0.
struct CharListText {
  std::unique_ptr<char[]> text;
  std::size_t length = 0;
  std::string_view view() const { return {text.get(), length}; }
};

void initCharList(CharList& list);
void freeCharList(CharList& list);
inline void addCharListChar(CharList& list, unsigned char byte) { list.bytes.push_back(static_cast<char>(byte)); }
inline void clearCharList(CharList& list) { list.bytes.clear(); }
inline std::size_t charListCount(const CharList& list) { return list.bytes.size(); }
// The bytes from head to tail, without copying; valid until the list next changes.
inline std::string_view charListView(const CharList& list) { return list.bytes; }

// Replaces the contents by the number's base-52 digits, least significant at the head.
void numberToCharListDigits(CharList& list, std::uint32_t number);
// A copy of the bytes from head to tail.
CharListText charListToString(const CharList& list);
// A copy of the bytes from tail to head: base-52 digits come out most significant first.
CharListText charListDigitsToString(const CharList& list);

// The generic name of a pool number: its base-52 digits, most significant first.
std::string genericNameOf(std::uint32_t number);

}  // namespace qvmin
