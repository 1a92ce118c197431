#include "containers/char_list.h"

#include <algorithm>
#include <cstring>

namespace qvmin {

void initCharList(CharList& list) { list.bytes.clear(); }

void freeCharList(CharList& list) {
  std::string().swap(list.bytes);
}

void numberToCharListDigits(CharList& list, std::uint32_t number) {
  list.bytes.clear();
  do {
    list.bytes.push_back(charListAlphabet[number % 52]);
    number /= 52;
  } while (number != 0);
}

namespace {
CharListText copyOf(std::string_view bytes, bool reversed) {
  CharListText copy;
  copy.length = bytes.size();
  if (bytes.empty()) return copy;
  copy.text = std::make_unique<char[]>(bytes.size() + 1);
  if (reversed) {
    std::reverse_copy(bytes.begin(), bytes.end(), copy.text.get());
  } else {
    std::memcpy(copy.text.get(), bytes.data(), bytes.size());
  }
  copy.text[bytes.size()] = '\0';
  return copy;
}
}  // namespace

CharListText charListToString(const CharList& list) { return copyOf(list.bytes, false); }

CharListText charListDigitsToString(const CharList& list) { return copyOf(list.bytes, true); }

std::string genericNameOf(std::uint32_t number) {
  char digits[8];
  std::size_t count = 0;
  do {
    digits[count++] = charListAlphabet[number % 52];
    number /= 52;
  } while (number != 0);
  std::reverse(digits, digits + count);
  return std::string(digits, count);
}

}  // namespace qvmin
