#include "containers/text_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace qvmin {
namespace {

// Many keys of every short length and some long ones: every key is found with its value, texts
// stay valid while the map grows, and keys that differ in one byte anywhere stay apart.
TEST(TextMap, FindsEveryKeyThroughGrowth) {
  TextMap map;
  std::unordered_map<std::string, std::string> model;
  std::vector<const TextMap::Entry*> entries;
  for (int i = 0; i < 50000; ++i) {
    std::string key = "k" + std::to_string(i);
    if (i % 97 == 0) key = std::string(static_cast<std::size_t>(i % 300 + 1), 'z') + key;
    std::string value = i % 3 == 0 ? std::string() : "v" + std::to_string(i);
    ASSERT_EQ(map.find(key), nullptr);
    entries.push_back(&map.insert(key, value));
    model.emplace(key, value);
  }
  // Texts of 15 and 1 bytes fill the map's chunks to their last bytes.
  for (int i = 0; i < 40000; ++i) {
    std::string key = std::to_string(100000000000000 + i);
    entries.push_back(&map.insert(key, "v"));
    model.emplace(key, "v");
  }
  EXPECT_EQ(map.size(), model.size());
  for (const auto& [key, value] : model) {
    const TextMap::Entry* entry = map.find(key);
    ASSERT_NE(entry, nullptr) << key;
    EXPECT_EQ(entry->key, key);
    EXPECT_EQ(entry->value, value);
    // Writers copy a kept text 16 bytes at a time (the sanitizers see any read past the map's memory).
    for (std::string_view text : {entry->key, entry->value}) {
      if (text.empty()) continue;
      char copy[TextMap::kReadableAhead];
      std::memcpy(copy, text.data(), sizeof copy);
      EXPECT_EQ(std::string_view(copy, std::min(text.size(), sizeof copy)), text.substr(0, sizeof copy));
    }
  }
  EXPECT_EQ(entries.front()->key, "zk0");  // an early entry survives every growth
  for (std::size_t length = 1; length <= 20; ++length) {
    std::string base(length, 'a');
    for (std::size_t at = 0; at < length; ++at) {
      std::string changed = base;
      changed[at] = 'b';
      EXPECT_NE(hashText(base), hashText(changed)) << length << " " << at;
    }
  }
  EXPECT_EQ(map.find(""), nullptr);
  EXPECT_EQ(map.insertSelf("selfish", hashText("selfish")).value, "selfish");
}

// A short key read 16 bytes at a time hashes and is found as its own bytes are, whatever lies
// past its end, and a key that differs in one byte or in its length is not.
TEST(TextMap, ShortKeysReadAheadHashAndMatchAsThemselves) {
  TextMap map;
  std::string bytes = "QrStUvWxYz0123456789abcdefghijkl";
  for (std::size_t size = 0; size <= 16; ++size) map.insertSelf(bytes.substr(0, size), hashText(bytes.substr(0, size)));
  for (std::size_t size = 0; size <= 16; ++size) {
    std::string readable = bytes;
    readable[size] = static_cast<char>(0xFF);  // past the key: must not count
    const ShortWords words = shortWordsReadingAhead(readable.data(), size);
    const ShortWords own = shortWords(readable.data(), size);
    EXPECT_EQ(words.low, own.low) << size;
    EXPECT_EQ(words.high, own.high) << size;
    const std::uint64_t hash = hashShortWords(words, size);
    EXPECT_EQ(hash, hashText(readable.substr(0, size))) << size;
    const TextMap::Entry* found = map.findShort(words, size, hash);
    ASSERT_NE(found, nullptr) << size;
    EXPECT_EQ(found->key, bytes.substr(0, size));
    for (std::size_t at = 0; at < size; ++at) {
      std::string changed = readable;
      changed[at] = '#';
      const ShortWords other = shortWordsReadingAhead(changed.data(), size);
      // Looked for under the key's own hash, so that the comparison of the words decides.
      EXPECT_EQ(map.findShort(other, size, hash), nullptr) << size << " " << at;
    }
  }
}

}  // namespace
}  // namespace qvmin
