#include <gtest/gtest.h>

#include <string>

#include "e2e/list_runs.h"

namespace qvmin::e2e {
namespace {

using namespace std::string_literals;

std::string lineNote(int line) { return "  (line: " + std::to_string(line) + ")\n"; }

// What follows the echo when the exclusion list is rejected: its report and the help hint.
std::string rejected(const std::string& message, int line) {
  return exclusionListError(message + lineNote(line)) + helpHint();
}
std::string duplicate(const std::string& field, int line) {
  return rejected("A duplicate keyword (" + field + ") was found!", line);
}
const std::string kEmptyLine = "An empty line was encountered!";
const std::string kLoneCr = "A carriage return (character 13) was not followed by a line feed (character 10)!";
const std::string kLeadingDigit = "The first character of a valid keyword cannot be a number!";
const std::string kOperator = "A valid keyword cannot contain an operator or punctuation character!";
const std::string kWhitespace = "A valid keyword cannot contain whitespace!";

// The source list that every run here reads once the exclusion list is accepted.
const std::string kSources = "a.js\n";
const std::string kAccepted = pseudoCompiled(1);

class ExclusionList : public ::testing::TestWithParam<ListCase> {};

TEST_P(ExclusionList, ReportsExactly) {
  const ListCase& c = GetParam();
  ScratchDir dir;
  RunResult run = runWithLists(dir, kSources, c.bytes);
  EXPECT_EQ(run.out, listRunPrologue(true) + c.afterEcho);
  EXPECT_EQ(run.status, expectedStatus(c.afterEcho));
  EXPECT_EQ(run.err, "");
}

const ListCase kLines[] = {
    {"EmptyFileIsAccepted", "", kAccepted},
    {"OnlyLf", "\n", rejected(kEmptyLine, 1)},
    {"EmptyLineAfterAKeyword", "alpha\r\n\r\n", rejected(kEmptyLine, 2)},
    {"CrLfAndLfLines", "alpha\r\nbeta\ngamma", kAccepted},
    {"CrAtEndIsAccepted", "alpha\r", kAccepted},
    {"CrAtEndIsNotPartOfTheKeyword", "alpha\nalpha\r", duplicate("alpha", 2)},
    {"CrThenByteOnLine2", "one\ntw\ro\n", rejected(kLoneCr, 2)},
    {"CrCrOnLine2", "one\ntwo\r\r\n", rejected(kLoneCr, 2)},
};
INSTANTIATE_TEST_SUITE_P(Lines, ExclusionList, ::testing::ValuesIn(kLines),
                         [](const auto& info) { return info.param.name; });

const ListCase kBytes[] = {
    {"LeadingDigit", "1abc\n", rejected(kLeadingDigit, 1)},
    {"LeadingDigitOnLine3", "a\nb\n9\n", rejected(kLeadingDigit, 3)},
    {"LaterDigitsAccepted", "a1b2\n$0\n_9\n", kAccepted},
    {"Period", "a.b\n", rejected(kOperator, 1)},
    {"Hyphen", "ok\na-b\n", rejected(kOperator, 2)},
    {"Slash", "a/b", rejected(kOperator, 1)},
    {"InnerSpace", "a b\n", rejected(kWhitespace, 1)},
    {"LeadingSpace", " ab\n", rejected(kWhitespace, 1)},
    {"TrailingSpace", "ab \n", rejected(kWhitespace, 1)},
    {"Tab", "a\tb\n", rejected(kWhitespace, 1)},
    {"QuotesAtSignAndHighBytesAccepted", "a\"b\na'b\na@b\n`x\n\xC3\xA9t\xE9\n\x7F\x01\n", kAccepted},
};
INSTANTIATE_TEST_SUITE_P(Bytes, ExclusionList, ::testing::ValuesIn(kBytes),
                         [](const auto& info) { return info.param.name; });

const ListCase kDuplicates[] = {
    {"ReservedKeyword", "var\n", duplicate("var", 1)},
    {"ReservedKeywordAfterOthers", "myName\njQuery", duplicate("jQuery", 2)},
    {"RepeatOnLine5WithLf", "alpha\nbeta\ngamma\ndelta\nbeta\n", duplicate("beta", 5)},
    {"RepeatOnLine5AtEnd", "alpha\nbeta\ngamma\ndelta\nbeta", duplicate("beta", 5)},
    {"CaseDifferentKeywordsAreDistinct", "myName\nMyName\nMYNAME\n", kAccepted},
    {"CaseDifferentFromReserved", "VAR\nJquery\n", kAccepted},
    {"NulCutsTheKeyword", "ab\0cd\n"s, kAccepted},
    {"LineEqualToCutKeyword", "ab\0cd\nab\n"s, duplicate("ab", 2)},
    // The field is as wide as the whole line, so a keyword cut at a NUL is padded.
    {"CutLineRepeatsCutKeyword", "ab\0cd\nab\0xyz\n"s, duplicate("    ab", 2)},
    {"CutLineRepeatsKeyword", "ab\nab\0\0\n"s, duplicate("  ab", 2)},
    {"CutLineRepeatsReserved", "var\0x"s, duplicate("  var", 1)},
};
INSTANTIATE_TEST_SUITE_P(Duplicates, ExclusionList, ::testing::ValuesIn(kDuplicates),
                         [](const auto& info) { return info.param.name; });

// An exclusion list that cannot be opened or read ends the run before the source files list,
// without the abort line.
TEST(ExclusionListFile, UnreadableFileEndsTheRun) {
  const std::string path = kExclusionsName;
  const struct {
    bool directory;
    std::string report;
  } cases[] = {
      {false, "\nError opening keywordExclusionListFile: " + path + "\n"},
      {true, "\nAn error occured on line 1, while reading from the keywordExclusionListFile: " + path + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.report);
    ScratchDir dir;
    if (c.directory) dir.mkdir(path);
    RunResult run = runQvmin(dir.path(), {"/sflfp", kListName, "/kelfp", path, "/ofp", kOutputName, "/oktfp",
                                          kTranslationName});
    EXPECT_EQ(run.out, listRunPrologue(true) + c.report + helpHint());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
}  // namespace qvmin::e2e
