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

}  // namespace
}  // namespace qvmin
