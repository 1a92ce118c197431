// A hash map from byte text to byte text, made for the identifier lookup that runs once per
// identifier of multi-megabyte inputs: open addressing over a flat slot array, a hash that reads
// eight bytes at a time, and the texts kept in chunks so that views of them stay valid for the
// map's whole life.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace qvmin {

// One 64x64->128-bit multiply folded to 64 bits mixes every input bit into every output bit.
inline std::uint64_t foldMultiply(std::uint64_t a, std::uint64_t b) {
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

constexpr std::uint64_t kHashSeed0 = 0xA0761D6478BD642Full;
constexpr std::uint64_t kHashSeed1 = 0xE7037ED1A0B428DBull;

// A text of at most 16 bytes as two words: its bytes in order from the low end, zero past its end.
struct ShortWords {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
};

// Which bytes of the two words a text of n <= 16 bytes fills.
struct ShortWordMasks {
  std::uint64_t low;
  std::uint64_t high;
};
inline constexpr auto kShortWordMasks = [] {
  std::array<ShortWordMasks, 17> masks{};
  for (std::size_t n = 0; n <= 16; ++n) {
    masks[n].low = n >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1;
    masks[n].high = n >= 16 ? ~std::uint64_t{0} : n <= 8 ? 0 : (std::uint64_t{1} << (8 * (n - 8))) - 1;
  }
  return masks;
}();

inline std::uint64_t loadWord(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

// The words of a text of at most 16 bytes, where 16 bytes may be read from its start: with no
// branch on its length.
inline ShortWords shortWordsReadingAhead(const char* p, std::size_t n) {
  const ShortWordMasks& mask = kShortWordMasks[n];
  return {loadWord(p) & mask.low, loadWord(p + 8) & mask.high};
}

// The same from the text's own bytes alone.
inline ShortWords shortWords(const char* p, std::size_t n) {
  ShortWords words;
  if (n >= 8) {
    words.low = loadWord(p);
    // The last 8 bytes, less those the low word holds.
    if (n > 8) words.high = loadWord(p + n - 8) >> (8 * (16 - n));
  } else if (n >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, p, 4);
    std::memcpy(&tail, p + n - 4, 4);
    if constexpr (std::endian::native == std::endian::big) {
      head = __builtin_bswap32(head);
      tail = __builtin_bswap32(tail);
    }
    words.low = head | ((std::uint64_t{tail} >> (8 * (8 - n))) << 32);
  } else if (n > 0) {
    // First, middle and last byte cover all of 1 to 3.
    words.low = std::uint64_t{static_cast<unsigned char>(p[0])} |
                (std::uint64_t{static_cast<unsigned char>(p[n / 2])} << (8 * (n / 2))) |
                (std::uint64_t{static_cast<unsigned char>(p[n - 1])} << (8 * (n - 1)));
  }
  return words;
}

inline std::uint64_t hashShortWords(ShortWords words, std::size_t n) {
  return foldMultiply(words.low ^ kHashSeed1, words.high ^ kHashSeed0 ^ n);
}

inline std::uint64_t hashText(std::string_view text) {
  const char* p = text.data();
  std::size_t n = text.size();
  if (n <= 16) return hashShortWords(shortWords(p, n), n);
  // Long identifiers are rare: fold them eight bytes at a time down to their last 16.
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  std::uint64_t h = kHashSeed0 ^ n;
  while (n > 16) {
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    h = foldMultiply(a ^ kHashSeed1, b ^ h);
    p += 16;
    n -= 16;
  }
  std::memcpy(&a, p + n - 16, 8);
  std::memcpy(&b, p + n - 8, 8);
  return foldMultiply(a ^ kHashSeed1, b ^ h);
}

// Byte equality of two texts of the same length, without a library call for short ones.
inline bool sameText(const char* a, const char* b, std::size_t n) {
  if (n >= 8) {
    if (n > 16) return std::memcmp(a, b, n) == 0;
    std::uint64_t a0, a1, b0, b1;
    std::memcpy(&a0, a, 8);
    std::memcpy(&b0, b, 8);
    std::memcpy(&a1, a + n - 8, 8);
    std::memcpy(&b1, b + n - 8, 8);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }
  if (n >= 4) {
    std::uint32_t a0, a1, b0, b1;
    std::memcpy(&a0, a, 4);
    std::memcpy(&b0, b, 4);
    std::memcpy(&a1, a + n - 4, 4);
    std::memcpy(&b1, b + n - 4, 4);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

class TextMap {
 public:
  // Bytes that may be read from the start of any text the map keeps, past its end if need be.
  static constexpr std::size_t kReadableAhead = 16;

  struct Entry {
    std::string_view key;
    std::string_view value;
    // A number the map's user may keep with the entry (a watcher of the names written keeps
    // its own index of the key here); -1 until it is set.
    mutable std::int32_t tag = -1;
    // A few bits more the user may keep with it (the modern scanner: what the word is to its
    // grammar); 0 until set.
    mutable std::uint8_t mark = 0;
  };

  TextMap();

  const Entry* find(std::string_view key) const { return find(key, hashText(key)); }
  const Entry* find(std::string_view key, std::uint64_t hash) const {
    for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
      const Slot& slot = slots_[at];
      if (slot.entry == nullptr) return nullptr;
      if (slot.hash == hash && slot.entry->key.size() == key.size() &&
          sameText(slot.entry->key.data(), key.data(), key.size())) {
        return slot.entry;
      }
    }
  }
  // The same for a key of at most 16 bytes, as its words and hash: compared without a branch on
  // its length, since every kept text may be read 16 bytes from its start.
  const Entry* findShort(ShortWords words, std::size_t size, std::uint64_t hash) const {
    const ShortWordMasks& mask = kShortWordMasks[size];
    for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
      const Slot& slot = slots_[at];
      if (slot.entry == nullptr) return nullptr;
      if (slot.hash == hash) {
        const char* key = slot.entry->key.data();
        if (slot.entry->key.size() == size &&
            (((loadWord(key) ^ words.low) & mask.low) | ((loadWord(key + 8) ^ words.high) & mask.high)) == 0) {
          return slot.entry;
        }
      }
    }
  }
  // Adds a key that is not in the map yet; the map keeps its own copies of both texts.
  const Entry& insert(std::string_view key, std::string_view value) { return insert(key, value, hashText(key)); }
  const Entry& insert(std::string_view key, std::string_view value, std::uint64_t hash);
  // Adds a key whose value is the key itself.
  const Entry& insertSelf(std::string_view key, std::uint64_t hash);

  std::size_t size() const { return size_; }

 private:
  struct Slot {
    std::uint64_t hash = 0;
    Entry* entry = nullptr;
  };

  std::string_view store(std::string_view text);
  Entry* newEntry();
  void place(Entry* entry, std::uint64_t hash);
  void grow();

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
  std::vector<std::unique_ptr<char[]>> textChunks_;
  std::size_t textChunkLeft_ = 0;
  char* textCursor_ = nullptr;
  std::vector<std::unique_ptr<Entry[]>> entryChunks_;
  std::size_t entryChunkUsed_ = 0;
};

}  // namespace qvmin
