// The names that are never genericized nor handed out as generic names: the built-in
// reserved keywords, the user's excluded keywords and the names a run keeps besides. Only
// membership matters.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "tables/name_views.h"

namespace qvmin {

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Names the run brings (the reserved keywords, the user's list, quoted names) are owned; those of
// the compiled-in lists are views into their text.
struct KeywordTable {
  using Names = std::unordered_set<std::string, TextHash, std::equal_to<>>;
  Names names;
  NameViews listed;

  bool contains(std::string_view name) const { return names.contains(name) || listed.contains(name); }
  // Adds an owned copy of the name; the second member is false when the name was there.
  std::pair<Names::iterator, bool> emplace(std::string_view name) {
    if (listed.contains(name)) return {names.end(), false};
    // Looked up first: emplace would build (and free) a node for a name already there, the
    // common case for names read from strings.
    if (const auto found = names.find(name); found != names.end()) return {found, false};
    return names.emplace(name);
  }
  std::pair<Names::iterator, bool> insert(std::string_view name) { return emplace(name); }
  template <typename Iterator>
  void insert(Iterator first, Iterator last) {
    for (; first != last; ++first) emplace(*first);
  }
  // Adds a name of a compiled-in list, whose text outlives the table. The lists come after the
  // names read before them, which they may repeat.
  void addListed(std::string_view name) { listed.insert(name); }
};

inline constexpr std::size_t kReservedKeywordCount = 187;

// Inserts the reserved keywords; inserting one already present changes nothing.
void initReservedKeywords(KeywordTable& table);

inline bool isKeyword(const KeywordTable& table, std::string_view name) { return table.contains(name); }

}  // namespace qvmin
