// The curated name lists of share/qvmin/, compiled into the binary at build time from those
// files (one name per line, LF line ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tables/keyword_table.h"

namespace qvmin {

enum class CuratedList : std::uint8_t {
  kJavascript,  // the language's reserved and contextual words and built-in names
  kCommon,      // names that both node and the browser have
  kNode,
  kBrowser,
};

// The list's text as the file holds it.
std::string_view curatedListText(CuratedList list);

// At least as many as the names of the list: room to reserve before adding them.
std::size_t curatedListSize(CuratedList list);

// Adds every name of the list to the table; names already there are left as they are.
void addCuratedNames(KeywordTable& table, CuratedList list);

}  // namespace qvmin
