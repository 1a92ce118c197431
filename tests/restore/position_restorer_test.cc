#include "restore/position_restorer.h"

#include <gtest/gtest.h>

#include "restore/source_map_reader.h"
#include "restore/word_restorer.h"

namespace qvmin {
namespace {

// Line 1: columns 0-9 from cart.js 1:1, 10-19 from ../src/main.js 9:3, 20 on from no source;
// line 2: column 0 on from ../src/main.js 9:3.
constexpr const char* kMap =
    R"({"version":3,"file":"out/app.min.js","sources":["cart.js","../src/main.js"],"mappings":"AAAA,UCQE,U;AAAA"})";

struct TextCase {
  const char* input;
  const char* expected;
};

const TextCase kCases[] = {
    {"at B (/d/app.min.js:1:1)\n", "at total (cart.js:1:1)\n"},
    {"at B (/d/app.min.js:1:10)", "at total (cart.js:1:1)"},
    {"at B (/d/app.min.js:1:11)", "at total (../src/main.js:9:3)"},
    {"at B (/d/app.min.js:1:20)", "at total (../src/main.js:9:3)"},
    {"(/d/app.min.js:1:21) (/d/app.min.js:1:99)", "(/d/app.min.js:1:21) (/d/app.min.js:1:99)"},  // no source
    {"app.min.js:2:1 app.min.js:2:7000", "../src/main.js:9:3 ../src/main.js:9:3"},
    {"file:///d/app.min.js:1:11", "../src/main.js:9:3"},
    {"C:\\d\\app.min.js:1:1", "cart.js:1:1"},
    // The rest of the run holds no slash: its names are restored.
    {"B@https://h/app.min.js:1:1", "total@cart.js:1:1"},
    {"B.js@https://h/app.min.js:1:1", "total.JS@cart.js:1:1"},
    {"\"/d/app.min.js:1:1\"/B", "\"cart.js:1:1\"/B"},
    // The replacements are never searched for names, whatever the order of the steps.
    {"app.min.js:1:1:js", "cart.js:1:1:JS"},
    // Not a position of the map's file.
    {"xapp.min.js:1:1 x,app.min.js:1:1 /d/app.min.jsx:1:1 /d/other.js:1:1",
     "xapp.min.JS:1:1 x,app.min.JS:1:1 /d/app.min.jsx:1:1 /d/other.js:1:1"},
    {"/d/app.min.js:1 /d/app.min.js:1:x /d/app.min.js::1", "/d/app.min.js:1 /d/app.min.js:1:x /d/app.min.js::1"},
    {"/d/app.min.js:3:1 /d/app.min.js:0:1 /d/app.min.js:1:0", "/d/app.min.js:3:1 /d/app.min.js:0:1 /d/app.min.js:1:0"},
    {"/d/app.min.js:1:1234567890 app.min.js:1:1.5", "/d/app.min.js:1:1234567890 cart.js:1:1.5"},
    {"js:1:1 /p/B.js:1:2", "JS:1:1 /p/B.js:1:2"},
};

TEST(RestorePositions, Table) {
  RestoreMap map;
  ASSERT_EQ(readSourceMap(kMap, map), "");
  const PositionRestorer positions(map);
  TextMap names;
  names.insert("B", "total");
  names.insert("js", "JS");
  for (const TextCase& c : kCases) {
    WordRestorer restorer(names, &positions);
    std::string out;
    // Fed in two pieces: a position split between blocks is still found.
    const std::string_view input = c.input;
    restorer.feed(input.substr(0, input.size() / 2), out);
    restorer.feed(input.substr(input.size() / 2), out);
    restorer.finish(out);
    EXPECT_EQ(out, c.expected) << c.input;
  }
}

}  // namespace
}  // namespace qvmin
