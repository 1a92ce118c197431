// Names reached through strings: obj['total'], {'total': 1} and hasOwnProperty('total') name the
// same property as obj.total. With keep-quoted-names, an identifier whose text is the whole
// content of a string literal (or of a template without substitutions) anywhere in the sources
// is kept as it is. Only contents that could be an identifier are held, so memory grows with
// those strings alone.
#pragma once

#include <string>
#include <string_view>

#include "tables/keyword_table.h"

namespace qvmin {

// Where a scanner hands the raw text of each string literal it reads, quotes excluded.
struct StringSink {
  void* context = nullptr;
  void (*onString)(void* context, std::string_view rawContent) = nullptr;
};

// The string's value: escapes decoded (\n, \x41, \u0041, \u{41}, ...), line continuations gone.
// A lone surrogate is spelled as the three bytes it would take, as identifiers spell it.
void decodeStringContent(std::string_view raw, std::string& decoded);

// Could be an identifier's text: not empty, no digit first, and nothing but identifier
// characters ($, _, ASCII letters and digits, and any byte from 0x80).
bool couldBeIdentifier(std::string_view text);

// Collects the contents that could be identifiers into a table of kept names.
struct QuotedNameCollector {
  explicit QuotedNameCollector(KeywordTable& kept) : kept(kept) {}
  StringSink sink() { return StringSink{this, &QuotedNameCollector::collect}; }

  KeywordTable& kept;
  std::string decoded;
  std::size_t added = 0;  // names this collector added to the table

 private:
  static void collect(void* context, std::string_view rawContent);
};

}  // namespace qvmin
