#include "tables/curated_lists.h"

#include <cstring>

namespace qvmin {

std::size_t curatedListSize(CuratedList list) {
  const std::string_view text = curatedListText(list);
  const char* const end = text.data() + text.size();
  std::size_t lines = 1;
  for (const char* p = text.data(); p < end; ++lines) {
    const void* lineEnd = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    if (lineEnd == nullptr) break;
    p = static_cast<const char*>(lineEnd) + 1;
  }
  return lines;
}

void addCuratedNames(KeywordTable& table, CuratedList list) {
  std::string_view text = curatedListText(list);
  while (!text.empty()) {
    const std::size_t lineEnd = text.find('\n');
    std::string_view name = text.substr(0, lineEnd);
    if (!name.empty() && name.back() == '\r') name.remove_suffix(1);
    if (!name.empty()) table.addListed(name);
    if (lineEnd == std::string_view::npos) break;
    text.remove_prefix(lineEnd + 1);
  }
}

}  // namespace qvmin
