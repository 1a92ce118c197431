// Inputs at the edges of size: huge exclusion lists and identifiers, and running out of memory.
#include <gtest/gtest.h>

#include <string>

#include "e2e/harness.h"
#include "e2e/translation.h"

namespace qvmin::e2e {
namespace {

const std::vector<std::string> kArgs = {"/sflfp", "list.txt", "/kelfp", "keep.txt", "/ofp", "out.js", "/oktfp", "map.txt"};

std::string okOutput(unsigned files) {
  return banner() + echo("list.txt", "keep.txt", "out.js", "map.txt") + "\n" + std::to_string(files) +
         " source files successfully pseudo-compiled!\n";
}

TEST(Resources, LargeExclusionListsAndIdentifiers) {
  ScratchDir dir;
  // 100,000 excluded names and a 1 MB one; an identifier of 1 MB that is excluded and one that
  // is not; the same identifier a million times.
  std::string keep;
  for (int i = 0; i < 100'000; ++i) keep += "keep" + std::to_string(i) + "\n";
  const std::string longKept(1 << 20, 'k');
  const std::string longRenamed(1 << 20, 'r');
  keep += longKept + "\n";
  std::string source = "keep99999;" + longKept + ";" + longRenamed + ";";
  for (int i = 0; i < 1'000'000; ++i) source += "same+";
  source += "0;";
  dir.write("keep.txt", keep);
  dir.write("s.js", source);
  dir.write("list.txt", "s.js\n");
  RunResult run = runQvmin(dir.path(), kArgs);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, okOutput(1));
  auto pairs = parseTranslation(dir.read("map.txt"));
  ASSERT_EQ(pairs.size(), 2u);
  std::string expected = "keep99999;" + longKept + ";" + longRenamed + ";";
  for (int i = 0; i < 1'000'000; ++i) expected += "same+";
  expected += "0;";
  EXPECT_TRUE(untranslate(dir.read("out.js"), dir.read("map.txt")) == expected);
}

TEST(Resources, GarbageExclusionListIsRejectedCleanly) {
  ScratchDir dir;
  std::string garbage;
  for (int b = 255; b >= 0; --b) garbage += static_cast<char>(b);
  dir.write("keep.txt", garbage);
  dir.write("s.js", "x;");
  dir.write("list.txt", "s.js\n");
  RunResult run = runQvmin(dir.path(), kArgs);
  EXPECT_EQ(run.status, 1);
  // Bytes from 0xFF down to 0x7F are accepted; '~' (126) is the first operator character.
  EXPECT_EQ(run.out, banner() + echo("list.txt", "keep.txt", "out.js", "map.txt") +
                         "\nError processing keywordExclusionListFile: keep.txt\n"
                         "A valid keyword cannot contain an operator or punctuation character!  (line: 1)\n"
                         "\nHELP: qvmin /?\n");
  EXPECT_FALSE(dir.exists("out.js"));
}

// Every identifier distinct: 60,000 names, two and three letters long, none repeated.
TEST(Resources, EveryIdentifierDistinct) {
  ScratchDir dir;
  std::string source;
  for (int i = 0; i < 60'000; ++i) source += "v" + std::to_string(i) + ";";
  dir.write("keep.txt", "");
  dir.write("s.js", source);
  dir.write("list.txt", "s.js\n");
  RunResult run = runQvmin(dir.path(), kArgs);
  EXPECT_EQ(run.status, 0);
  auto pairs = parseTranslation(dir.read("map.txt"));
  EXPECT_EQ(pairs.size(), 60'000u);
  EXPECT_EQ(pairs.back().first.size(), 3u);
  EXPECT_TRUE(untranslate(dir.read("out.js"), dir.read("map.txt")) == source);
}

// Out of memory: one clear line and exit status 1, never a crash. The binary without
// sanitizers runs under an address-space limit too small for 600,000 distinct identifiers.
TEST(Resources, RunningOutOfMemoryIsReported) {
  ScratchDir dir;
  std::string source;
  for (int i = 0; i < 600'000; ++i) source += "v" + std::to_string(i) + ";";
  dir.write("keep.txt", "");
  dir.write("s.js", source);
  dir.write("list.txt", "s.js\n");
  RunOptions options;
  options.plainBinary = true;
  options.addressSpaceLimit = 48u << 20;
  RunResult run = runQvmin(dir.path(), kArgs, options);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, banner() + echo("list.txt", "keep.txt", "out.js", "map.txt") +
                         "\nOut of memory: qvmin could not allocate the memory it needs!\n");
}

}  // namespace
}  // namespace qvmin::e2e
