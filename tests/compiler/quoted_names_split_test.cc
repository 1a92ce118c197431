#include "compiler/quoted_names_split.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "compiler/modern_scanner.h"

namespace qvmin {
namespace {

std::set<std::string> namesOf(const KeywordTable& table) { return {table.names.begin(), table.names.end()}; }

// Sources written to a scratch directory, and what reading them in one piece finds.
class SplitPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvmin-split-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void setSources(const std::vector<std::string>& texts) {
    sources_ = SourceFileList{};
    for (std::size_t k = 0; k < texts.size(); ++k) {
      const std::string path = dir_ + "/" + std::to_string(k) + ".js";
      std::ofstream(path, std::ios::binary) << texts[k];
      sources_.add(path);
    }
  }

  std::set<std::string> inOnePiece(Syntax syntax) {
    KeywordTable kept;
    const SplitOutcome outcome = collectQuotedNamesSplit(systemPlatform(), sources_, kept, {}, syntax);
    EXPECT_TRUE(outcome.done);
    return namesOf(kept);
  }

  std::string dir_;
  SourceFileList sources_;
};

// Wherever a piece starts and whatever it guesses, the names are those of one scan in order: a
// wrong guess (inside a string, a comment, a template, a regular expression, or under brackets
// that it closes as something else) is caught and the piece read again.
TEST_F(SplitPassTest, FindsWhatOneScanFindsWhereverItSplits) {
  const std::vector<std::vector<std::string>> cases = {
      {"var a = 'x;y'; f(\"total\");\nif (a) /;'q'/.test(s); h('r');\n"},
      {"t = `a;${b; 'k'}`; g('name');\nfor (;;) { 'aa'; break; }\n"},
      {"/* ; 'no' */ x('yes');\n// ; 'nor'\ny('also');\n"},
      {"var o = {a: 1}; z = o / 2; 'w' / 1;\nfunction f() { return {k: 1} /'re'/ 2; }\n"},
      {"(function () { 'use'; if (x) { ok('in'); }\n})(); a = (b) / 'c' / 2; d = x\n/'e'/g;\n"},
      {"`${ {a: 'x'} }`; 'y';\n`p;${q}r;`; 's';\n", "'u'; {\n'v'; }", "} 'w'; x = {\n}"},
      {"var s = 'a\\\n;b'; 'c\\u0064';\r\n t('e'); `f;\n`;\n"},
  };
  std::size_t takenOver = 0;
  for (const std::vector<std::string>& texts : cases) {
    setSources(texts);
    for (const Syntax syntax : {Syntax::kClassic, Syntax::kModern}) {
      const std::set<std::string> expected = inOnePiece(syntax);
      for (std::size_t file = 0; file < texts.size(); ++file) {
        for (std::size_t offset = file > 0 ? 0 : 1; offset < texts[file].size(); ++offset) {
          constexpr std::uint8_t kAfterSemicolon = ModernScanner::kRegexAllowed;
          for (const std::uint8_t context : {kAfterSemicolon,
                                             std::uint8_t{kAfterSemicolon | ModernScanner::kLineTerminatorSince},
                                             std::uint8_t{0}}) {
            KeywordTable kept;
            const SplitOutcome outcome =
                collectQuotedNamesSplit(systemPlatform(), sources_, kept, {SplitPoint{file, offset, context}}, syntax);
            ASSERT_TRUE(outcome.done);
            takenOver += outcome.takenOver;
            ASSERT_EQ(namesOf(kept), expected) << texts[file] << " split at " << offset << " of file " << file
                                               << ", context " << int(context) << ", syntax " << int(syntax);
          }
        }
      }
    }
  }
  EXPECT_GT(takenOver, 100u);  // the right guesses were used
}

// On sources large enough, the plan cuts after semicolons that end their lines, and each piece's
// guess holds, several times in one file and across files.
TEST_F(SplitPassTest, PlansPiecesWhoseGuessesHold) {
  std::string text;
  for (int k = 0; text.size() < 3 * kLeastPieceBytes; ++k) {
    text += "function f" + std::to_string(k) + "(a) {\n  if (a) { return g('n" + std::to_string(k % 997) +
            "', `t${a}`) / 2; }\n  return [a, /x;y/g];\n}\n";
  }
  setSources({text, "x = 'small';\n", text});
  const std::vector<SplitPoint> points = planSplit(systemPlatform(), sources_, 8);
  // A cut that falls at the very end of a file finds no start before the file ends.
  const std::size_t cuts = (2 * text.size() + 13) / kLeastPieceBytes - 1;
  ASSERT_GE(points.size(), cuts - 1);
  ASSERT_LE(points.size(), cuts);
  for (const SplitPoint& point : points) {
    ASSERT_NE(point.file, 1u);
    EXPECT_EQ(text.substr(point.offset - 3, 3), "];\n");
    EXPECT_EQ(point.context, ModernScanner::kRegexAllowed | ModernScanner::kLineTerminatorSince);
  }
  for (const Syntax syntax : {Syntax::kClassic, Syntax::kModern}) {
    KeywordTable kept;
    const SplitOutcome outcome = collectQuotedNamesSplit(systemPlatform(), sources_, kept, points, syntax);
    EXPECT_TRUE(outcome.done);
    EXPECT_EQ(outcome.takenOver, points.size());
    EXPECT_EQ(namesOf(kept), inOnePiece(syntax));
  }
  EXPECT_TRUE(planSplit(systemPlatform(), sources_, 1).empty());
}

// Many small files are cut between files, whatever their sizes; in the modern grammar a file that
// ends in an object literal leaves a context other than the guessed one, and the piece after it
// is read again.
TEST_F(SplitPassTest, CutsManyFilesBetweenFiles) {
  std::vector<std::string> texts;
  for (std::size_t k = 0; k < 2 * kLeastFilesCutBetween; ++k) {
    texts.push_back(k % 5 == 4 ? "x = {a: 'obj" + std::to_string(k) + "'}\n" : "f('n" + std::to_string(k) + "');\n");
  }
  setSources(texts);
  for (const Syntax syntax : {Syntax::kClassic, Syntax::kModern}) {
    const std::set<std::string> expected = inOnePiece(syntax);
    for (unsigned pieces : {2u, 3u, 5u, 8u}) {
      const std::vector<SplitPoint> points = planSplit(systemPlatform(), sources_, pieces);
      ASSERT_EQ(points.size(), pieces - 1);
      KeywordTable kept;
      const SplitOutcome outcome = collectQuotedNamesSplit(systemPlatform(), sources_, kept, points, syntax);
      EXPECT_TRUE(outcome.done);
      EXPECT_EQ(namesOf(kept), expected);
      // The classic grammar has no context to guess wrong.
      std::size_t guessedRight = 0;
      for (const SplitPoint& point : points) guessedRight += syntax == Syntax::kClassic || point.file % 5 != 0;
      EXPECT_EQ(outcome.takenOver, guessedRight) << pieces;
    }
  }
}

}  // namespace
}  // namespace qvmin
