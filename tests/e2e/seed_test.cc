// /seed: identical runs write identical bytes, on any machine.
#include <gtest/gtest.h>

#include <string>

#include "e2e/harness.h"

namespace qvmin::e2e {
namespace {

struct Written {
  std::string output;
  std::string translation;
};

Written runWithSeed(const ScratchDir& dir, const std::string& seed) {
  RunResult run = runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "map.txt", "/seed", seed});
  EXPECT_EQ(run.status, 0) << run.out;
  return {dir.read("out.js"), dir.read("map.txt")};
}

TEST(Seed, SameSeedSameBytesOtherSeedOtherNames) {
  ScratchDir dir;
  // 600 identifiers: every one-letter name and many two-letter ones.
  std::string source;
  for (int i = 0; i < 300; ++i) source += "v" + std::to_string(i) + "=w" + std::to_string(i) + ";";
  dir.write("s.js", source);
  dir.write("list.txt", "s.js\n");
  const Written first = runWithSeed(dir, "7");
  const Written again = runWithSeed(dir, "007");
  const Written other = runWithSeed(dir, "8");
  EXPECT_TRUE(first.output == again.output);
  EXPECT_EQ(first.translation, again.translation);
  EXPECT_NE(first.output, other.output);
}

// The names a seed gives are part of the interface: a build server and a laptop, or this
// release and the next, must agree on them.
TEST(Seed, ASeedAlwaysGivesTheSameNames) {
  ScratchDir dir;
  dir.write("s.js", "var alpha = beta(gamma);");
  dir.write("list.txt", "s.js\n");
  const Written written = runWithSeed(dir, "42");
  EXPECT_EQ(written.output, "var B=q(C);");
  EXPECT_EQ(written.translation, "q,beta\r\nB,alpha\r\nC,gamma\r\n");
}

}  // namespace
}  // namespace qvmin::e2e
