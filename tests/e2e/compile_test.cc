// Successful runs: what the output and translation files hold afterwards, over ordinary and
// unusually shaped inputs.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/translation.h"

namespace qvmin::e2e {
namespace {

// Writes the files as f0.js, f1.js, ... with a list naming them in order, and runs over them.
RunResult compileFiles(const ScratchDir& dir, const std::vector<std::string>& files) {
  std::string list;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string name = "f" + std::to_string(i) + ".js";
    dir.write(name, files[i]);
    list += name + "\n";
  }
  dir.write("list.txt", list);
  return runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "map.txt"});
}

std::string successOutput(std::size_t count) {
  return banner() + echo("list.txt", "", "out.js", "map.txt") + compiledSummary(static_cast<unsigned>(count));
}

TEST(Compile, ThreeFilesBecomeOneLine) {
  ScratchDir dir;
  // Left over from an earlier run: both are replaced, not appended to.
  dir.write("out.js", std::string(500, '#'));
  dir.write("map.txt", "stale,entry\r\n");

  RunResult run = compileFiles(dir, {
      "// running total\nvar total = 0;\r\nfunction add(n) {\n  total += n; /* in place */\n  return total;\n}\n",
      "var s = \"a  b\" + 'c\\'d';\nx = total +",
      "+add(2E-3) - -1.5e+10;\n",
  });

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, successOutput(3));
  EXPECT_EQ(untranslate(dir.read("out.js"), dir.read("map.txt")),
            "var total=0;function add(n){total+=n;return total;}"
            " var s=\"a  b\"+'c\\'d';x=total+ +add(2E-3)- -1.5e+10;");
  EXPECT_EQ(parseTranslation(dir.read("map.txt")).size(), 5u);
}

// Outputs in another directory may share the inputs' names.
TEST(Compile, SameNamesInAnotherDirectoryAreNotTheSameFile) {
  ScratchDir dir;
  dir.mkdir("d");
  dir.write("a.js", "var a = 1;\n");
  dir.write("list.txt", "a.js\n");
  RunResult run = runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "d/a.js", "/oktfp", "d/list.txt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, banner() + echo("list.txt", "", "d/a.js", "d/list.txt") + compiledSummary(1));
  EXPECT_EQ(untranslate(dir.read("d/a.js"), dir.read("d/list.txt")), "var a=1;");
  EXPECT_EQ(dir.read("a.js"), "var a = 1;\n");
}

// A small deterministic generator, so that a failing input can be reproduced.
std::uint32_t nextRandom(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

std::string repeat(const std::string& piece, std::size_t times) {
  std::string result;
  result.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) result += piece;
  return result;
}

// Inputs far from ordinary source text. Each must finish quickly, under the sanitizers too.
TEST(Compile, UnusualInputsFinishQuickly) {
  struct Inputs {
    std::vector<std::string> files;
    std::string expected;
  };
  struct Case {
    const char* name;
    std::function<Inputs()> make;
  };
  const Case cases[] = {
      {"1 MiB of bytes from 0x80 up",
       [] {
         std::uint32_t state = 1;
         std::string garbage(1 << 20, '\0');
         for (char& byte : garbage) byte = static_cast<char>(0x80 + nextRandom(state) % 0x80);
         return Inputs{{garbage}, ""};
       }},
      {"NUL bytes around and inside tokens",
       [] {
         std::string tail("var\0\0$ = '\0\0';\0", 16);
         return Inputs{{std::string(1 << 20, '\0') + tail}, std::string("var$='\0\0';", 10)};
       }},
      {"a 50 MB string on a single line",
       [] {
         std::string text = "'" + repeat("a /* b */ // c \\' \" \xE9\t", 2'500'000) + "'";
         return Inputs{{text}, text};
       }},
      {"a string still open after 20 MB, then another file",
       [] {
         std::string text = "'" + repeat("x// ", 5'000'000);
         return Inputs{{text, "$"}, text + " $"};
       }},
      {"a block comment still open after 20 MB, then another file",
       [] { return Inputs{{"a/*" + repeat("** /", 5'000'000), "b"}, "a b"}; }},
      // The first two slashes open a line comment that runs to the end of the file.
      {"10 million slashes", [] { return Inputs{{std::string(10'000'000, '/')}, ""}; }},
      {"10 million and one slashes", [] { return Inputs{{std::string(10'000'001, '/')}, ""}; }},
      // Written side by side, two slashes would open a comment, so each keeps its space.
      {"5 million slashes apart",
       [] {
         std::string text = repeat("/ ", 5'000'000);
         return Inputs{{text}, text.substr(0, text.size() - 1)};
       }},
      {"10,000 listed files",
       [] {
         Inputs inputs;
         for (int i = 0; i < 10'000; ++i) {
           inputs.files.push_back("v" + std::to_string(i) + " ;\n");
           inputs.expected += (i == 0 ? "v" : " v") + std::to_string(i) + ";";
         }
         return inputs;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Inputs inputs = c.make();
    ScratchDir dir;
    RunResult run = compileFiles(dir, inputs.files);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, successOutput(inputs.files.size()));
    std::string output = untranslate(dir.read("out.js"), dir.read("map.txt"));
    EXPECT_EQ(output.size(), inputs.expected.size());
    EXPECT_TRUE(output == inputs.expected) << "the output differs from the expected text";
  }
}

// Arbitrary bytes: the run completes, and the output never grows, since a space is only ever
// written in place of whitespace or a comment that was dropped.
TEST(Compile, ArbitraryBytesCompleteWithoutGrowing) {
  std::uint32_t state = 7;
  std::string garbage(4 << 20, '\0');
  for (char& byte : garbage) byte = static_cast<char>(nextRandom(state));
  ScratchDir dir;
  RunResult run = compileFiles(dir, {garbage});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, successOutput(1));
  EXPECT_LE(dir.read("out.js").size(), garbage.size());
}

}  // namespace
}  // namespace qvmin::e2e
