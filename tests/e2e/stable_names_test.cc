// /iktfp: the names of an earlier run are kept from release to release.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "e2e/list_runs.h"
#include "e2e/translation.h"

namespace qvmin::e2e {
namespace {

const std::string kEarlier = "old.txt";

std::vector<std::string> argsWith(const std::vector<std::string>& more) {
  std::vector<std::string> args = {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "map.txt"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::string identifiers(const std::string& prefix, int from, int to) {
  std::string source;
  for (int i = from; i < to; ++i) source += prefix + std::to_string(i) + "+";
  return source + "0;";
}

// Release 1 has 1000 identifiers, so that most two-letter names are taken. Release 2 drops
// 300, renames 100, adds 600, and excludes one identifier and the name of another. Every other
// identifier of both keeps its name, every earlier pair but those two stays in the file, and
// no new identifier gets a name in use.
TEST(StableNames, ReleaseToRelease) {
  ScratchDir dir;
  dir.write("list.txt", "s.js\n");
  dir.write("s.js", identifiers("old", 0, 1000));
  ASSERT_EQ(runQvmin(dir.path(), argsWith({})).status, 0);
  dir.write(kEarlier, dir.read("map.txt"));
  const auto first = parseTranslation(dir.read(kEarlier));
  std::map<std::string, std::string> firstByIdentifier;
  for (const auto& [name, identifier] : first) firstByIdentifier[identifier] = name;
  const std::string excludedName = firstByIdentifier["old400"];

  const std::string source = identifiers("old", 300, 900) + identifiers("renamed", 900, 1000) + identifiers("new", 0, 600);
  dir.write("s.js", source);
  dir.write("keep.txt", "old500\n" + excludedName + "\n");
  RunResult run = runQvmin(dir.path(), argsWith({"/kelfp", "keep.txt", "/iktfp", kEarlier}));
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, banner() + echo("list.txt", "keep.txt", "out.js", "map.txt") +
                         "inputKeywordTranslationFilePath: old.txt\n" + pseudoCompiled(1));

  const auto second = parseTranslation(dir.read("map.txt"));
  std::map<std::string, std::string> secondByIdentifier;
  for (const auto& [name, identifier] : second) secondByIdentifier[identifier] = name;
  std::set<std::string> keptNames;
  for (const auto& [name, identifier] : first) {
    if (identifier == "old500") {
      EXPECT_FALSE(secondByIdentifier.count(identifier)) << "an excluded identifier keeps its pair";
    } else if (identifier == "old400") {
      EXPECT_NE(secondByIdentifier[identifier], name) << "an excluded name is handed out";
    } else {
      EXPECT_EQ(secondByIdentifier[identifier], name) << identifier;
      keptNames.insert(name);
    }
  }
  EXPECT_EQ(second.size(), first.size() - 1 + 700);
  for (std::size_t i = 1; i < second.size(); ++i) EXPECT_TRUE(nameOrder(second[i - 1].first, second[i].first));
  std::set<std::string> secondNames;
  for (const auto& [name, identifier] : second) {
    EXPECT_TRUE(secondNames.insert(name).second) << name;
    if (identifier.starts_with("new") || identifier.starts_with("renamed")) {
      EXPECT_FALSE(keptNames.count(name)) << identifier;
    }
  }
  EXPECT_TRUE(untranslate(dir.read("out.js"), dir.read("map.txt")) == source);
}

struct EarlierFileCase {
  std::string name;
  std::string bytes;
  std::string report;  // after the "Error processing" line
};

void PrintTo(const EarlierFileCase& c, std::ostream* os) { *os << c.name; }

class EarlierFile : public ::testing::TestWithParam<EarlierFileCase> {};

// A faulty earlier translation file stops the run before any output exists.
TEST_P(EarlierFile, IsReportedWithItsLineAndNothingIsWritten) {
  const EarlierFileCase& c = GetParam();
  ScratchDir dir;
  dir.write("list.txt", "s.js\n");
  dir.write("s.js", "x;");
  dir.write(kEarlier, c.bytes);
  RunResult run = runQvmin(dir.path(), argsWith({"/iktfp", kEarlier}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner() + echo("list.txt", "", "out.js", "map.txt") + "inputKeywordTranslationFilePath: old.txt\n" +
                         "\nError processing inputKeywordTranslationFile: old.txt\n" + c.report + aborted());
  EXPECT_FALSE(dir.exists("out.js"));
  EXPECT_FALSE(dir.exists("map.txt"));
}

const std::string kNoComma = "A line without a comma was encountered!";
const std::string kNotLetters = "A generic name must be one or more of the letters a-z and A-Z!";
const std::string kNeverHandedOut = "A generic name that is never handed out was found!";
const std::string kBadIdentifier = "An identifier cannot contain whitespace, a control character or a comma!";
const std::string kDuplicateName = "A duplicate generic name was found!";
const std::string kDuplicateIdentifier = "A duplicate identifier was found!";

std::string at(const std::string& problem, int line) { return problem + "  (line: " + std::to_string(line) + ")\n"; }

const EarlierFileCase kFaultyFiles[] = {
    {"LineWithoutComma", "b,x\r\nc\r\n", at(kNoComma, 2)},
    {"DigitInName", "b1,x\n", at(kNotLetters, 1)},
    {"EmptyName", ",x\n", at(kNotLetters, 1)},
    {"EmptyIdentifier", "b,x\nc,\n", at("An empty identifier was encountered!", 2)},
    {"SpaceInIdentifier", "b,x y\n", at(kBadIdentifier, 1)},
    {"SecondComma", "b,x,y\n", at(kBadIdentifier, 1)},
    {"NulInIdentifier", std::string("b,x\0y\n", 6), at(kBadIdentifier, 1)},
    {"BinaryGarbage", "\x7f" "ELF\x02\x01\x01", at(kNotLetters, 1)},
    {"DuplicateName", "b,x\nc,y\nb,z\n", at(kDuplicateName, 3)},
    {"DuplicateFiveLetterName", "ZZZZZ,x\nZZZZZ,y\n", at(kDuplicateName, 2)},
    {"TwentyLetterName", "b,x\nabcdefghijklmnopqrst,y\n", at(kNeverHandedOut, 2)},
    {"TwoLettersBeginningWithA", "ab,x\n", at(kNeverHandedOut, 1)},
    {"DuplicateIdentifier", "b,x\nc,x\n", at(kDuplicateIdentifier, 2)},
    {"DuplicateOfADroppedPair", "b,var\nc,var\n", at(kDuplicateIdentifier, 2)},
    {"DroppedNameRepeated", "if,x\nif,y\n", at(kDuplicateName, 2)},
    {"LoneCarriageReturn", "b,x\rc,y\n",
     at("A carriage return (character 13) was not followed by a line feed (character 10)!", 1)},
    {"EmptyLine", "b,x\r\n\r\nc,y\r\n", at("An empty line was encountered!", 2)},
};
INSTANTIATE_TEST_SUITE_P(Faulty, EarlierFile, ::testing::ValuesIn(kFaultyFiles),
                         [](const auto& info) { return info.param.name; });

// A name that a string now holds is kept as it is: its earlier pair is dropped, as for a keyword.
TEST(StableNames, PairsOfNamesNowQuotedAreDropped) {
  ScratchDir dir;
  dir.write("list.txt", "s.js\n");
  dir.write(kEarlier, "g,total\r\nh,other\r\n");
  dir.write("s.js", "var total = 1, other = o['total'];\n");
  RunResult run = runQvmin(dir.path(), argsWith({"/iktfp", kEarlier, "/syntax", "modern"}));
  ASSERT_EQ(run.status, 0) << run.out;
  std::map<std::string, std::string> nameOf;
  for (const auto& [name, identifier] : parseTranslation(dir.read("map.txt"))) nameOf[identifier] = name;
  EXPECT_EQ(nameOf.size(), 2u);  // other keeps h, o is new, total is dropped
  EXPECT_EQ(nameOf["other"], "h");
  EXPECT_EQ(nameOf.count("total"), 0u);
  EXPECT_NE(dir.read("out.js").find("total"), std::string::npos);
}

TEST(StableNames, MissingFileAndOverwriteAreRefused) {
  ScratchDir dir;
  dir.write("list.txt", "s.js\n");
  dir.write("s.js", "x;");
  RunResult missing = runQvmin(dir.path(), argsWith({"/iktfp", kEarlier}));
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.out.ends_with("\nError opening inputKeywordTranslationFile: old.txt\n" + aborted())) << missing.out;

  dir.write(kEarlier, "b,x\r\n");
  RunResult clash = runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "./old.txt", "/iktfp", kEarlier});
  EXPECT_EQ(clash.status, 1);
  EXPECT_TRUE(clash.out.ends_with("\nThe outputKeywordTranslationFile (./old.txt) would overwrite the "
                                  "inputKeywordTranslationFile (old.txt)!\n" + aborted()))
      << clash.out;
  EXPECT_EQ(dir.read(kEarlier), "b,x\r\n");
}

// A million kept names, then a faulty last line: read in bounded time, reported by number.
TEST(StableNames, AMillionLines) {
  ScratchDir dir;
  std::string earlier;
  earlier.reserve(20'000'000);
  // Five-letter names from Zaaaa on: none of them is a keyword, so no pair is dropped.
  const std::uint32_t first = 51u * 52 * 52 * 52 * 52;
  for (std::uint32_t i = first; i < first + 1'000'000; ++i) {
    std::string name;
    for (std::uint32_t n = i; n != 0; n /= 52) name.insert(name.begin(), "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"[n % 52]);
    earlier += name + ",id" + std::to_string(i) + "\r\n";
  }
  dir.write("list.txt", "s.js\n");
  const std::string known = "id" + std::to_string(first + 5);
  dir.write("s.js", known + "+fresh;");
  dir.write(kEarlier, earlier);
  RunResult run = runQvmin(dir.path(), argsWith({"/iktfp", kEarlier}));
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string translation = dir.read("map.txt");
  EXPECT_EQ(translation.size(), earlier.size() + std::string("x,fresh\r\n").size());
  EXPECT_EQ(untranslate(dir.read("out.js"), translation), known + "+fresh;");

  dir.write(kEarlier, earlier + "b,\r\n");
  run = runQvmin(dir.path(), argsWith({"/iktfp", kEarlier}));
  EXPECT_TRUE(run.out.ends_with(at("An empty identifier was encountered!", 1'000'001) + aborted())) << run.out;
}

}  // namespace
}  // namespace qvmin::e2e
