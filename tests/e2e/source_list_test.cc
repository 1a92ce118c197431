#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e/list_runs.h"

namespace qvmin::e2e {
namespace {

using namespace std::string_literals;

std::string invalidChar(int line, int byte) {
  return "The filename on line " + std::to_string(line) + " contains an invalid character!  (ASCII character: " +
         std::to_string(byte) + ")\n";
}
std::string emptyLine(int line) { return "An empty line was encountered!  (line: " + std::to_string(line) + ")\n"; }
std::string loneCr(int line) {
  return "A carriage return (character 13) was not followed by a line feed (character 10)!  (line: " +
         std::to_string(line) + ")\n";
}
std::string leadingSpace(int line) {
  return "The first character of a valid filename cannot be a space!  (line: " + std::to_string(line) + ")\n";
}
std::string badEnd(const std::string& text, int line) {
  return "The filename (" + text + ") on line " + std::to_string(line) +
         " is invalid because it ends in a space or a period!\n";
}
std::string duplicate(const std::string& text, int line) {
  return "A duplicate filename (" + text + ") was found!  (line: " + std::to_string(line) + ")\n";
}

class SourceList : public ::testing::TestWithParam<ListCase> {};

TEST_P(SourceList, ReportsExactly) {
  const ListCase& c = GetParam();
  ScratchDir dir;
  RunResult run = runWithLists(dir, c.bytes);
  EXPECT_EQ(run.out, listRunPrologue() + c.afterEcho);
  EXPECT_EQ(run.status, expectedStatus(c.afterEcho));
  EXPECT_EQ(run.err, "");
}

const ListCase kLineEnds[] = {
    {"EmptyFile", "", sourceListError("No filenames were listed!\n") + aborted()},
    {"OnlyCrAtEnd", "\r", sourceListError("No filenames were listed!\n") + aborted()},
    {"OnlyLf", "\n", rejectedFirstLine(emptyLine(1))},
    {"OnlyCrLf", "\r\n", rejectedFirstLine(emptyLine(1))},
    {"PathWithoutLineEnd", "a.js", pseudoCompiled(1)},
    {"PathThenCrAtEnd", "a.js\r", pseudoCompiled(1)},
    {"CrAtEndIsNotPartOfThePath", "a.\r", rejectedFirstLine(badEnd("a.", 1))},
    {"CrLfIsNotPartOfThePath", "a.js\r\na.js", rejectedLaterLine(duplicate("a.js", 2))},
    {"MixedLineEnds", "a.js\r\nb.js\nc.js\r\n", pseudoCompiled(3)},
    {"TwoLfsAfterPath", "a.js\n\n", rejectedLaterLine(emptyLine(2))},
    {"EmptyLineInTheMiddle", "a.js\nb.js\n\r\nc.js\n", rejectedLaterLine(emptyLine(3))},
    {"CrCrOnLine3", "a.js\nb.js\nc.js\r\r\n", rejectedLaterLine(loneCr(3))},
    {"CrThenByteOnLine3", "a.js\nb.js\nc.js\rx\n", rejectedLaterLine(loneCr(3))},
    {"CrAloneOnFirstLine", "\rx", rejectedFirstLine(loneCr(1))},
};
INSTANTIATE_TEST_SUITE_P(LineEnds, SourceList, ::testing::ValuesIn(kLineEnds),
                         [](const auto& info) { return info.param.name; });

const ListCase kBytes[] = {
    {"Tab", "a\tb.js\n", rejectedFirstLine(invalidChar(1, 9))},
    {"LeadingTab", "\ta.js\n", rejectedFirstLine(invalidChar(1, 9))},
    {"Nul", "a\0b.js\n"s, rejectedFirstLine(invalidChar(1, 0))},
    {"Star", "a*.js", rejectedFirstLine(invalidChar(1, '*'))},
    {"Question", "ok.js\na?.js", rejectedLaterLine(invalidChar(2, '?'))},
    {"Bar", "ok.js\na|b.js\n", rejectedLaterLine(invalidChar(2, '|'))},
    {"Less", "<a.js\n", rejectedFirstLine(invalidChar(1, '<'))},
    {"Greater", "a.js>\n", rejectedFirstLine(invalidChar(1, '>'))},
    {"UnitSeparator", "a\x1f.js\n", rejectedFirstLine(invalidChar(1, 31))},
    {"VerticalTab", "a\v.js\n", rejectedFirstLine(invalidChar(1, 11))},
    {"WindowsPathInnerSpacesAndHighBytesAccepted",
     "C:\\dir\\my file.js\n\xC3\xA9t\xE9.js\n\"q\":\x7F.js\n", pseudoCompiled(3)},
    {"LeadingSpace", " a.js\n", rejectedFirstLine(leadingSpace(1))},
    {"LeadingSpaceOnLine2", "a.js\n b.js\n", rejectedLaterLine(leadingSpace(2))},
    {"TrailingSpace", "a.js \n", rejectedFirstLine(badEnd("a.js ", 1))},
    {"TrailingPeriod", "x.js\na.\n", rejectedLaterLine(badEnd("a.", 2))},
    {"SinglePeriod", ".", rejectedFirstLine(badEnd(".", 1))},
};
INSTANTIATE_TEST_SUITE_P(Bytes, SourceList, ::testing::ValuesIn(kBytes),
                         [](const auto& info) { return info.param.name; });

const ListCase kPaths[] = {
    {"DuplicateOnLine4WithLf", "a.js\nb.js\nc.js\na.js\n", rejectedLaterLine(duplicate("a.js", 4))},
    {"DuplicateOnLine4AtEnd", "a.js\nb.js\nc.js\na.js", rejectedLaterLine(duplicate("a.js", 4))},
    {"CaseDifferentPathsAreDistinct", "a.js\nA.js\n", pseudoCompiled(2)},
    {"SpellingsOfOneFileAreDistinct", "a.js\n./a.js\n", pseudoCompiled(2)},
    {"InvalidFourthLineKeepsOnlyItsOwnReport", "a.js\nb.js\nc.js\nd|.js\n", rejectedLaterLine(invalidChar(4, '|'))},
    // Every byte value from 0xFF down: the first invalid one met is '|'.
    {"BinaryGarbage",
     [] {
       std::string bytes;
       for (int b = 255; b >= 0; --b) bytes.push_back(static_cast<char>(b));
       return bytes;
     }(),
     rejectedFirstLine(invalidChar(1, '|'))},
};
INSTANTIATE_TEST_SUITE_P(Paths, SourceList, ::testing::ValuesIn(kPaths),
                         [](const auto& info) { return info.param.name; });

TEST(SourceListFile, MissingFileIsAnOpenError) {
  ScratchDir dir;
  RunResult run = runWithLists(dir, std::nullopt);
  EXPECT_EQ(run.out, listRunPrologue() + "\nError opening sourceFilesListFile: list.txt\n" + aborted());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
}

TEST(SourceListFile, DirectoryFailsToReadLineOne) {
  ScratchDir dir;
  dir.mkdir(kListName);
  RunResult run = runQvmin(dir.path(), {"/sflfp", kListName, "/ofp", kOutputName, "/oktfp", kTranslationName});
  EXPECT_EQ(run.out, listRunPrologue() + "\nAn error occured on line 1, while reading from the sourceFilesListFile: " +
                         kListName + "\n" + sourceListError("No filenames were listed!\n") + aborted());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
}

// On POSIX the slash separates directories: relative, parent and absolute paths are listed.
TEST(SourceListSlashes, RelativeParentAndAbsolutePathsAreAccepted) {
  ScratchDir dir;
  dir.mkdir("src");
  dir.mkdir("lib");
  dir.write("src/app.js", "");
  dir.write("lib/b.js", "");
  dir.write("c.js", "");
  std::string here = dir.path().substr(dir.path().rfind('/') + 1);
  RunResult run = runWithLists(dir, "src/app.js\n../" + here + "/lib/b.js\n" + dir.at("c.js") + "\n");
  EXPECT_EQ(run.out, listRunPrologue() + pseudoCompiled(3));
  EXPECT_EQ(run.status, 0);
}

// Large inputs finish without a crash or a hang, even in the sanitized build.
class LargeSourceList : public ::testing::Test {
 protected:
  RunResult runTimed(const std::string& bytes) {
    RunOptions options;
    options.timeoutSeconds = 120;  // a hang, not a slow machine, is what this guards against
    RunResult run = runWithLists(dir_, bytes, std::nullopt, options);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.err, "");
    return run;
  }
  ScratchDir dir_;
};

// The list accepts the line; no file can have such a name, so opening it is what fails.
TEST_F(LargeSourceList, TenMegabyteLineIsOnePath) {
  std::string path(10'000'000, 'a');
  RunResult run = runTimed(path);
  EXPECT_EQ(run.out, listRunPrologue() + "\nError opening currentSourceFile: " + path + "\n" + aborted());
  EXPECT_EQ(run.status, 1);
}

TEST_F(LargeSourceList, OneMegabyteBadLineIsPrintedWhole) {
  std::string line(1'000'000, 'b');
  line += '.';
  RunResult run = runTimed(line + "\n");
  EXPECT_EQ(run.out, listRunPrologue() + rejectedFirstLine(badEnd(line, 1)));
  EXPECT_EQ(run.status, 1);
}

TEST_F(LargeSourceList, HundredThousandPathsAreCounted) {
  std::string bytes;
  for (int i = 0; i < 100'000; ++i) bytes += "lib/f" + std::to_string(i) + ".js\r\n";
  RunResult run = runTimed(bytes);
  EXPECT_EQ(run.out, listRunPrologue() + pseudoCompiled(100'000));
  EXPECT_EQ(run.status, 0);
}

TEST_F(LargeSourceList, RandomBytesGiveOneReportAndNoCrash) {
  std::string bytes(1 << 20, '\0');
  std::uint32_t state = 12345;
  for (char& c : bytes) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  RunResult run = runTimed(bytes);
  EXPECT_EQ(run.status, 1);
  ASSERT_TRUE(run.out.starts_with(listRunPrologue() + "\nError processing sourceFilesListFile: list.txt\n"));
  EXPECT_TRUE(run.out.ends_with(aborted()));
}

}  // namespace
}  // namespace qvmin::e2e
