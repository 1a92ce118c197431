// Genericization seen from outside: names in the output, the translation file, exclusions.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "e2e/harness.h"
#include "e2e/translation.h"

namespace qvmin::e2e {
namespace {

class Genericize : public ::testing::Test {
 protected:
  // Runs qvmin over the files (in order) with an optional exclusion list; returns the output.
  std::string run(const std::vector<std::string>& sources, const std::string& exclusions = "",
                  bool withExclusions = false) {
    std::string list;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      std::string name = "s" + std::to_string(i) + ".js";
      dir.write(name, sources[i]);
      list += name + "\n";
    }
    dir.write("list.txt", list);
    std::vector<std::string> args = {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "map.txt"};
    if (withExclusions) {
      dir.write("keep.txt", exclusions);
      args.insert(args.end(), {"/kelfp", "keep.txt"});
    }
    RunResult result = runQvmin(dir.path(), args);
    EXPECT_EQ(result.status, 0) << result.out;
    translation = parseTranslation(dir.read("map.txt"));
    return dir.read("out.js");
  }

  std::map<std::string, std::string> nameToIdentifier() const {
    return std::map<std::string, std::string>(translation.begin(), translation.end());
  }

  ScratchDir dir;
  std::vector<std::pair<std::string, std::string>> translation;
};

TEST_F(Genericize, OneNamePerIdentifierAcrossFiles) {
  std::string out = run({"var foo = Foo;\n", "foo(Foo, foo);"});
  auto names = nameToIdentifier();
  ASSERT_EQ(names.size(), 2u);
  std::map<std::string, std::string> byIdentifier;
  for (auto& [name, identifier] : names) byIdentifier[identifier] = name;
  ASSERT_TRUE(byIdentifier.count("foo") && byIdentifier.count("Foo"));
  std::string f = byIdentifier["foo"], F = byIdentifier["Foo"];
  EXPECT_NE(f, F);
  EXPECT_EQ(f.size(), 1u);
  EXPECT_EQ(out, "var " + f + "=" + F + "; " + f + "(" + F + "," + f + ");");
}

TEST_F(Genericize, KeywordsStayAndNumbersAreNotIdentifiers) {
  std::string out = run({"function f(){ return this.length + 1e5 + 0xFF; }"});
  auto names = nameToIdentifier();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names.begin()->second, "f");
  EXPECT_EQ(out, "function " + names.begin()->first + "(){return this.length+1e5+0xFF;}");
}

TEST_F(Genericize, TheFiftyThirdIdentifierGetsATwoLetterName) {
  std::string source;
  for (int i = 0; i < 53; ++i) source += "v" + std::to_string(i) + ";";
  run({source});
  ASSERT_EQ(translation.size(), 53u);
  std::set<std::string> oneLetter;
  for (auto& [name, identifier] : translation) {
    if (name.size() == 1) oneLetter.insert(name);
  }
  EXPECT_EQ(oneLetter.size(), 52u);
  const std::string& last = translation.back().first;
  EXPECT_EQ(last.size(), 2u);
  EXPECT_NE(last[0], 'a');
}

TEST_F(Genericize, TranslationFileIsOrderedUniqueAndComplete) {
  std::string source;
  for (int i = 0; i < 3000; ++i) source += "id" + std::to_string(i * 7919 % 3001) + "=id" + std::to_string(i) + ";\n";
  std::string out = run({source});
  std::set<std::string> names, identifiers;
  for (std::size_t i = 0; i < translation.size(); ++i) {
    const auto& [name, identifier] = translation[i];
    EXPECT_TRUE(names.insert(name).second) << "name given twice: " << name;
    EXPECT_TRUE(identifiers.insert(identifier).second) << "identifier listed twice: " << identifier;
    for (const char* reserved : {"do", "if", "in", "let", "yield", "await"}) EXPECT_NE(name, reserved);
    if (i > 0) {
      EXPECT_TRUE(nameOrder(translation[i - 1].first, name)) << translation[i - 1].first << " before " << name;
    }
  }
  // Every identifier of the output is a listed generic name.
  for (const Token& token : tokenize(out)) {
    if (token.kind == Token::kIdentifier) {
      EXPECT_TRUE(names.count(token.text)) << token.text;
    }
  }
}

// Replacing every generic name in the output by its identifier gives exactly the output of a
// run that keeps every identifier (all listed for exclusion).
TEST_F(Genericize, TranslatingBackGivesTheUngenericizedOutput) {
  const std::string source =
      "// a small program\nvar total = 0, items = [1, 2.5, 3e2];\n"
      "function addAll(list) { for (var i = 0; i < list.length; i++) { total += list[i]; } return total; }\n"
      "var label = 'total: ' + addAll(items) + \"!\"; $el = 0x1F + 3 * px;\n";
  std::string genericized = run({source});
  auto names = nameToIdentifier();
  std::string translated;
  for (const Token& token : tokenize(genericized)) {
    auto found = token.kind == Token::kIdentifier ? names.find(token.text) : names.end();
    translated += found == names.end() ? token.text : found->second;
  }
  std::string keep;
  for (auto& [name, identifier] : names) keep += identifier + "\n";
  std::string unchanged = run({source}, keep, true);
  EXPECT_TRUE(translation.empty());
  EXPECT_EQ(translated, unchanged);
}

TEST_F(Genericize, ExcludedNamesAreNeverGenericizedNorHandedOut) {
  // With every one-letter name but "q" excluded, the first identifier must get "q" and the
  // excluded names stay as they are.
  std::string keep;
  for (char c = 'a'; c <= 'z'; ++c) {
    if (c != 'q') keep += std::string(1, c) + "\n";
  }
  for (char c = 'A'; c <= 'Z'; ++c) keep += std::string(1, c) + "\n";
  std::string out = run({"x = someName + y;"}, keep, true);
  EXPECT_EQ(out, "x=q+y;");
  ASSERT_EQ(translation.size(), 1u);
  EXPECT_EQ(translation[0], (std::pair<std::string, std::string>("q", "someName")));
}

TEST_F(Genericize, TranslationWriteFailureLeavesExactlyWhatFits) {
  // Long identifiers make the translation file far larger than the output.
  std::string source;
  for (int i = 0; i < 40; ++i) source += "a_rather_long_identifier_number_" + std::to_string(i) + ";";
  dir.write("s.js", source);
  dir.write("list.txt", "s.js\n");
  RunOptions limited;
  limited.fileSizeLimit = 300;
  RunResult result = runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "map.txt"}, limited);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, banner() + echo("list.txt", "", "out.js", "map.txt") +
                            "\nAn error occured while writing to the outputKeywordTranslationFile: map.txt\n"
                            "\nPseudo-Compilation Aborted!\n\nHELP: qvmin /?\n");
  std::string bytes = dir.read("map.txt");
  ASSERT_EQ(bytes.size(), 300u);
  // Whole lines first, in name order, then the start of the next line.
  std::size_t lastLineEnd = bytes.rfind("\r\n");
  auto lines = parseTranslation(bytes.substr(0, lastLineEnd + 2));
  for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(nameOrder(lines[i - 1].first, lines[i].first));
  for (auto& [name, identifier] : lines) EXPECT_NE(source.find(identifier + ";"), std::string::npos);
}

}  // namespace
}  // namespace qvmin::e2e
