#include "compiler/quoted_names.h"

#include <gtest/gtest.h>

namespace qvmin {
namespace {

// A string's value, as the identifier it may name.
TEST(QuotedNames, DecodesEscapesAndTellsWhatCouldBeAName) {
  struct Case {
    std::string_view raw;
    std::string_view decoded;
    bool name;
  };
  const Case cases[] = {
      {"total", "total", true},
      {"tot\\u0061l", "total", true},
      {"\\u{74}otal\\x21", "total!", false},
      {"a\\\nb", "ab", true},
      {"a\\\r\nb", "ab", true},
      {"\\'q\\'", "'q'", false},
      {"$_\\u00e9t\\u00E9", "$_\xC3\xA9t\xC3\xA9", true},
      {"\\uD800", "\xED\xA0\x80", true},
      {"1st", "1st", false},
      {"", "", false},
      {"a b", "a b", false},
      {"a\\0", std::string_view("a\0", 2), false},
      {"\\u{110000}\\x4", "u{110000}x4", false},
      {"end\\", "end\\", false},
  };
  std::string decoded;
  for (const Case& c : cases) {
    decodeStringContent(c.raw, decoded);
    EXPECT_EQ(decoded, c.decoded) << c.raw;
    EXPECT_EQ(couldBeIdentifier(decoded), c.name) << c.raw;
  }
}

}  // namespace
}  // namespace qvmin
