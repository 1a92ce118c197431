// Which identifiers a run keeps: the environment's names (/env), names that string literals hold
// (/kqn), and how both default with the grammar.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/translation.h"

namespace qvmin::e2e {
namespace {

constexpr const char* kSource =
    "var o = {qtyOrdered: 1, partNo: 2};\n"
    "console.log(o['qtyOrdered'], o[\"p\\u0061rtNo\"], o.qtyOrdered + o.partNo, `widthCm`, o.widthCm);\n"
    "fetch(payloadQ);\n";

struct KeptNamesCase {
  std::string name;
  std::vector<std::string> options;
  std::set<std::string> renamed;  // every identifier that the translation file lists
};

void PrintTo(const KeptNamesCase& c, std::ostream* os) { *os << c.name; }

class KeptNames : public ::testing::TestWithParam<KeptNamesCase> {};

TEST_P(KeptNames, RenamesExactlyTheOthers) {
  const KeptNamesCase& c = GetParam();
  ScratchDir dir;
  dir.write("a.js", kSource);
  dir.write("list.txt", "a.js\n");
  std::vector<std::string> args = {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "map.txt"};
  args.insert(args.end(), c.options.begin(), c.options.end());
  RunResult run = runQvmin(dir.path(), args);
  ASSERT_EQ(run.status, 0) << run.out;
  std::set<std::string> renamed;
  for (const auto& [name, identifier] : parseTranslation(dir.read("map.txt"))) renamed.insert(identifier);
  EXPECT_EQ(renamed, c.renamed);
}

const KeptNamesCase kCases[] = {
    {"ClassicKeepsNothingNew", {}, {"o", "qtyOrdered", "partNo", "console", "log", "widthCm", "fetch", "payloadQ"}},
    {"ClassicWithBrowserNames", {"/env", "browser"}, {"o", "qtyOrdered", "partNo", "log", "widthCm", "payloadQ"}},
    // The classic grammar has no templates: `widthCm` is no string there.
    {"ClassicWithQuotedNames", {"/kqn", "on"}, {"o", "console", "log", "widthCm", "fetch", "payloadQ"}},
    {"ModernKeepsAllOfThem", {"/syntax", "modern"}, {"o", "payloadQ"}},
    {"ModernWithoutThem",
     {"/syntax", "modern", "/env", "none", "/kqn", "off"},
     {"o", "qtyOrdered", "partNo", "console", "widthCm", "fetch", "payloadQ"}},
    {"ModernNodeNamesOnly", {"/syntax", "modern", "/env", "node", "/kqn", "off"}, {"o", "qtyOrdered", "partNo", "widthCm", "payloadQ"}},
};
INSTANTIATE_TEST_SUITE_P(Options, KeptNames, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// A listed name may repeat a name of the environment or of the language; a repeat within the list
// or of a built-in keyword is still reported.
TEST(KeptNames, ExclusionListMayRepeatEnvironmentNames) {
  ScratchDir dir;
  dir.write("a.js", kSource);
  dir.write("list.txt", "a.js\n");
  dir.write("keep.txt", "console\nlog\npayloadQ\n");
  RunResult run = runQvmin(dir.path(), {"/sflfp", "list.txt", "/kelfp", "keep.txt", "/ofp", "out.js", "/oktfp",
                                        "map.txt", "/syntax", "modern"});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(parseTranslation(dir.read("map.txt")).size(), 1u);  // o

  dir.write("keep.txt", "console\nconsole\n");
  run = runQvmin(dir.path(), {"/sflfp", "list.txt", "/kelfp", "keep.txt", "/ofp", "out.js", "/oktfp", "map.txt",
                              "/syntax", "modern"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("A duplicate keyword (console) was found!  (line: 2)"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace qvmin::e2e
