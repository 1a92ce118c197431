#include "tables/curated_lists.h"

#include <algorithm>

namespace qvmin {

void addCuratedNames(KeywordTable& table, CuratedList list) {
  std::string_view text = curatedListText(list);
  // Room for all of them at once: growing the table name by name rehashes it a dozen times.
  table.reserve(table.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  while (!text.empty()) {
    const std::size_t lineEnd = text.find('\n');
    std::string_view name = text.substr(0, lineEnd);
    if (!name.empty() && name.back() == '\r') name.remove_suffix(1);
    if (!name.empty()) table.emplace(name);
    if (lineEnd == std::string_view::npos) break;
    text.remove_prefix(lineEnd + 1);
  }
}

}  // namespace qvmin
