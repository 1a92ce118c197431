// The names that are never genericized nor handed out as generic names: the built-in
// reserved keywords plus the user's excluded keywords. Only membership matters.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace qvmin {

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

using KeywordTable = std::unordered_set<std::string, TextHash, std::equal_to<>>;

inline constexpr std::size_t kReservedKeywordCount = 187;

// Inserts the reserved keywords; inserting one already present changes nothing.
void initReservedKeywords(KeywordTable& table);

inline bool isKeyword(const KeywordTable& table, std::string_view name) { return table.contains(name); }

}  // namespace qvmin
