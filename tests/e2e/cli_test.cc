#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "e2e/list_runs.h"

namespace qvmin::e2e {
namespace {

// The usage text, piece by piece.
std::string usage() {
  const char* pieces[] = {
      "USAGE:\n",
      "\n",
      "qvmin [/?] /sflfp sourceFilesListFilePath [/kelfp keywordExclusionListFilePath] /ofp outputFilePath /oktfp "
      "outputKeywordTranslationFilePath\n",
      "\n",
      "/?: Shows the help text you are now reading.\n",
      "\n",
      "sourceFilesListFilePath: A valid file path to a text file containing a list of sourcecode filepaths (one per "
      "line).  \n",
      "\n",
      "keywordExclusionListFilePath: A valid file path to a text file containing a list of keywords which are not to "
      "be genericized (one per line).\n",
      "\n",
      "outputFilePath: A valid file path to create the pseudo-compiled Javascript output file.  A pre-existing file "
      "with the same name will be overwritten!\n",
      "\n",
      "outputKeywordTranslationFilePath: A valid file path to create the keyword translation file.  The text file "
      "will list one keyword translation pair per line; with the two keywords of each pair separated by a comma (CSV "
      "compliant format).  A pre-existing file with the same name will be overwritten!\n",
      "\n",
      "\n",
      "EXAMPLES:\n",
      "\n",
      "qvmin /sflfp javascriptFileList.txt /ofp pseudoCompiledJavascript.js /oktfp keywordTranslation.txt\n",
      "\n",
      "qvmin /sflfp C:\\javascriptFileList.txt /kelfp C:\\keywordExclusionList.txt /ofp "
      "C:\\pseudoCompiledJavascript.js /oktfp C:\\keywordTranslation.txt\n",
  };
  static_assert(std::size(pieces) == 20);
  std::string text;
  for (const char* piece : pieces) text += piece;
  // The newer options follow the classic text.
  text +=
      "\n\nNEWER OPTIONS:\n\n/syntax classic|modern: The lexical grammar the source files are read with.  classic (the "
      "default) knows comments, quoted strings, decimal and hexadecimal numbers, identifiers and operator characters.  "
      "modern reads all of current JavaScript (regular expression and template literals, every number and identifier "
      "form, private names), keeps the line breaks that a statement may end on, and never genericizes the reserved "
      "words and built-in names of the language.\n\n"
      "/env none|browser|node|universal: The names of the environment the output runs in, which are never "
      "genericized: browser keeps the names of web browsers, node those of Node.js, universal both, none neither.  "
      "The default is none with /syntax classic and universal with /syntax modern.\n\n"
      "/kqn on|off: Keep quoted names.  With on, an identifier whose text is the whole content of a string literal (or "
      "of a template without substitutions) anywhere in the source files is never genericized, so that obj['total'] "
      "and obj.total stay the same property.  The default is off with /syntax classic and on with /syntax modern.\n\n"
      "/smfp sourceMapFilePath: A valid file path to create a source map (revision 3) of the output file.  It maps "
      "every token of the output back to its source file, line and column, and every genericized identifier to its "
      "original name; the source files are named relative to the source map's folder, and their text is included.  A "
      "pre-existing file with the same name will be overwritten!\n\n"
      "/smurl sourceMapUrl: Ends the output file with the line //# sourceMappingURL=sourceMapUrl, which tells "
      "debuggers where the source map is.\n\n"
      "/iktfp inputKeywordTranslationFilePath: A valid file path to the "
      "keyword translation file of an earlier run.  Every identifier listed there keeps its generic name, unless the "
      "name or the identifier is now a keyword or excluded; new identifiers get names that are not in use, and the new "
      "translation file lists the kept pairs too.\n\n/seed number: Draws the generic names from a generator seeded "
      "with this number (0 to 18446744073709551615) instead of the clock, so that identical runs write identical "
      "files.\n\nqvmin /sflfp javascriptFileList.txt /ofp "
      "pseudoCompiledJavascript.js /oktfp keywordTranslation.txt /syntax modern\n";
  return text;
}

const std::string kMissingList = "The \"/sflfp sourceFilesListFilePath\" option & parameter must be supplied!\n";
const std::string kMissingOutput = "The \"/ofp outputFilePath\" option & parameter must be supplied!\n";
const std::string kMissingTranslation =
    "The \"/oktfp outputKeywordTranslationFilePath\" option & parameter must be supplied!\n";

std::string invalid(const std::string& option) { return "Invalid parameter: " + option + helpHint(); }

struct CommandLineCase {
  std::string name;
  std::vector<std::string> args;
  std::vector<std::pair<std::string, std::string>> files;  // written before the run
  std::string afterBanner;
  int status;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.name; }

class CommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLine, PrintsAndExitsExactly) {
  const CommandLineCase& c = GetParam();
  ScratchDir dir;
  for (const auto& [name, bytes] : c.files) dir.write(name, bytes);
  RunResult run = runQvmin(dir.path(), c.args);
  EXPECT_EQ(run.out, banner() + c.afterBanner);
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.err, "");
}

const CommandLineCase kHelpAndChecks[] = {
    {"NoArguments", {}, {}, kMissingList + helpHint(), 1},
    {"HelpAlone", {"/?"}, {}, usage(), 0},
    {"HelpBeforeAnotherArgument", {"/?", "x"}, {}, usage(), 0},
    {"HelpInAnOptionPosition", {"/sflfp", "a", "/?", "b"}, {}, usage(), 0},
    {"HelpEndsParsingBeforeAnInvalidOption", {"/?", "/bogus", "x"}, {}, usage(), 0},
    {"TrailingHelpIsIgnored", {"/sflfp", "a", "/?"}, {}, kMissingOutput + helpHint(), 1},
    {"SingleOtherArgument", {"x"}, {}, kMissingList + helpHint(), 1},
    {"SingleOptionWithoutValue", {"/sflfp"}, {}, kMissingList + helpHint(), 1},
    {"SingleInvalidOptionWithoutValueIsIgnored", {"/SFLFPX"}, {}, kMissingList + helpHint(), 1},
    {"HelpWithTrailingCharacter", {"/?x"}, {}, kMissingList + helpHint(), 1},
    {"OnlyTranslationGiven", {"/oktfp", "t"}, {}, kMissingList + helpHint(), 1},
    {"OutputMissing", {"/sflfp", "l", "/oktfp", "t"}, {}, kMissingOutput + helpHint(), 1},
    {"TranslationMissing", {"/sflfp", "l", "/ofp", "o"}, {}, kMissingTranslation + helpHint(), 1},
    {"TrailingTranslationOptionWithoutValue", {"/sflfp", "l", "/ofp", "o", "/oktfp"}, {},
     kMissingTranslation + helpHint(), 1},
};
INSTANTIATE_TEST_SUITE_P(HelpAndChecks, CommandLine, ::testing::ValuesIn(kHelpAndChecks),
                         [](const auto& info) { return info.param.name; });

const CommandLineCase kInvalidOptions[] = {
    {"CapitalsAreLowercasedInTheReport", {"/SFLFPX", "a"}, {}, invalid("/sflfpx"), 1},
    {"RightLengthWrongLetters", {"/sflfq", "a", "/ofp", "o", "/oktfp", "t"}, {}, invalid("/sflfq"), 1},
    {"ShortOption", {"/OFX", "o"}, {}, invalid("/ofx"), 1},
    {"InvalidBeforeHelp", {"/x", "a", "/?"}, {}, invalid("/x"), 1},
    {"InvalidAfterGoodOptions", {"/sflfp", "l", "-ofp", "o", "/oktfp", "t"}, {}, invalid("-ofp"), 1},
    {"EmptyOptionName", {"", "a"}, {}, invalid(""), 1},
    {"OnlyAsciiLettersAreLowercased", {"/SfLfP", "a", "/Ä", "b"}, {}, invalid("/Ä"), 1},
};
INSTANTIATE_TEST_SUITE_P(InvalidOptions, CommandLine, ::testing::ValuesIn(kInvalidOptions),
                         [](const auto& info) { return info.param.name; });

std::string badValue(const std::string& option, const std::string& value) {
  return "Invalid value for parameter " + option + ": " + value + helpHint();
}

// The newer options: a value they do not take is reported before anything is read; a good one
// is echoed after the classic four lines.
const CommandLineCase kNewerOptions[] = {
    {"UnknownSyntax", {"/syntax", "es5", "/sflfp", "l", "/ofp", "o", "/oktfp", "t"}, {}, badValue("/syntax", "es5"), 1},
    {"SyntaxValueIsCaseSensitive", {"/SYNTAX", "Modern"}, {}, badValue("/syntax", "Modern"), 1},
    {"BadValueBeforeHelp", {"/syntax", "", "/?"}, {}, badValue("/syntax", ""), 1},
    {"NegativeSeed", {"/seed", "-1"}, {}, badValue("/seed", "-1"), 1},
    {"SignedSeed", {"/SEED", "+1"}, {}, badValue("/seed", "+1"), 1},
    {"SeedWithALetter", {"/seed", "12x"}, {}, badValue("/seed", "12x"), 1},
    {"EmptySeed", {"/seed", ""}, {}, badValue("/seed", ""), 1},
    {"SeedPastTheLargest", {"/seed", "18446744073709551616"}, {}, badValue("/seed", "18446744073709551616"), 1},
    {"SeedAndEarlierTranslationEchoedInTableOrder",
     {"/seed", "0018446744073709551615", "/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/IKTFP", "old"},
     {{"l", "a.js\n"}, {"a.js", ""}, {"old", ""}},
     echo("l", "", "o", "t") + "inputKeywordTranslationFilePath: old\nseed: 18446744073709551615\n" + pseudoCompiled(1),
     0},
    {"SyntaxEchoed",
     {"/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/syntax", "modern"},
     {{"l", "a.js\n"}, {"a.js", "x = /a b/g\n"}},
     echo("l", "", "o", "t") + "syntax: modern\n" + pseudoCompiled(1),
     0},
    {"UnknownEnvironment", {"/env", "deno", "/sflfp", "l"}, {}, badValue("/env", "deno"), 1},
    {"UnknownQuotedNamesSwitch", {"/KQN", "yes"}, {}, badValue("/kqn", "yes"), 1},
    {"NewerOptionsEchoedInTheirOrder",
     {"/kqn", "off", "/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/env", "node", "/syntax", "modern"},
     {{"l", "a.js\n"}, {"a.js", "let x = 'x'"}},
     echo("l", "", "o", "t") + "syntax: modern\nenvironment: node\nkeepQuotedNames: off\n" + pseudoCompiled(1),
     0},
    {"ClassicEchoedWhenGiven",
     {"/syntax", "modern", "/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/Syntax", "classic"},
     {{"l", "a.js\n"}, {"a.js", ""}},
     echo("l", "", "o", "t") + "syntax: classic\n" + pseudoCompiled(1),
     0},
    {"EmptySourceMapPath", {"/smfp", "", "/sflfp", "l", "/ofp", "o", "/oktfp", "t"}, {}, badValue("/smfp", ""), 1},
    {"SourceMapUrlOverTwoLines", {"/SMURL", "a\nb.map"}, {}, badValue("/smurl", "a\nb.map"), 1},
    {"SourceMapOptionsEchoedAfterTheOthers",
     {"/smurl", "o.map", "/sflfp", "l", "/smfp", "o.map", "/ofp", "o", "/oktfp", "t", "/kqn", "on"},
     {{"l", "a.js\n"}, {"a.js", "x"}},
     echo("l", "", "o", "t") + "keepQuotedNames: on\nsourceMapFilePath: o.map\nsourceMapUrl: o.map\n" +
         pseudoCompiled(1),
     0},
    {"SourceMapOverwritingASource",
     {"/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/smfp", "./a.js"},
     {{"l", "a.js\n"}, {"a.js", "x"}},
     echo("l", "", "o", "t") + "sourceMapFilePath: ./a.js\n\nThe sourceMapFile (./a.js) would overwrite the "
         "currentSourceFile (a.js)!\n" + aborted(),
     1},
    {"SourceMapOverwritingTheOutput",
     {"/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/smfp", "o"},
     {{"l", "a.js\n"}, {"a.js", "x"}},
     echo("l", "", "o", "t") + "sourceMapFilePath: o\n\nThe sourceMapFile (o) would overwrite the outputFile (o)!\n" +
         aborted(),
     1},
    {"SourceMapWriteFails",
     {"/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/smfp", "/dev/full"},
     {{"l", "a.js\n"}, {"a.js", "x"}},
     echo("l", "", "o", "t") + "sourceMapFilePath: /dev/full\n\nAn error occured while writing to the sourceMapFile: "
         "/dev/full\n" + aborted(),
     1},
    {"SourceMapPathIsAFolder",
     {"/sflfp", "l", "/ofp", "o", "/oktfp", "t", "/smfp", "."},
     {{"l", "a.js\n"}, {"a.js", "x"}},
     echo("l", "", "o", "t") + "sourceMapFilePath: .\n\nError opening sourceMapFile: .\n" + aborted(),
     1},
};
INSTANTIATE_TEST_SUITE_P(NewerOptions, CommandLine, ::testing::ValuesIn(kNewerOptions),
                         [](const auto& info) { return info.param.name; });

const CommandLineCase kRuns[] = {
    {"CapitalOptionsKeepPathCase",
     {"/SFLFP", "List.TXT", "/OFP", "Out.JS", "/OKTFP", "Map.TXT"},
     {{"List.TXT", "a.js\n"}, {"a.js", ""}},
     echo("List.TXT", "", "Out.JS", "Map.TXT") + pseudoCompiled(1),
     0},
    {"CapitalExclusionOption",
     {"/Sflfp", "l", "/KELFP", "K.txt", "/Ofp", "o", "/Oktfp", "t"},
     {{"l", "a.js\nb.js\n"}, {"K.txt", "myName\n"}, {"a.js", ""}, {"b.js", ""}},
     echo("l", "K.txt", "o", "t") + pseudoCompiled(2),
     0},
    {"RepeatedOptionLaterWins",
     {"/sflfp", "a", "/sflfp", "b", "/ofp", "c", "/oktfp", "d"},
     {{"b", "x.js\ny.js\nz.js\n"}, {"x.js", ""}, {"y.js", ""}, {"z.js", ""}},
     echo("b", "", "c", "d") + pseudoCompiled(3),
     0},
    {"ValueThatLooksLikeAnOption",
     {"/sflfp", "/ofp", "/ofp", "o", "/oktfp", "t"},
     {},
     echo("/ofp", "", "o", "t") + "\nError opening sourceFilesListFile: /ofp\n" + aborted(),
     1},
    {"EmptyListPath",
     {"/sflfp", "", "/ofp", "o", "/oktfp", "t"},
     {},
     echo("", "", "o", "t") + "\nError opening sourceFilesListFile: \n" + aborted(),
     1},
    {"FailedExclusionListSkipsTheSourceList",
     {"/sflfp", "missing.txt", "/kelfp", "k", "/ofp", "o", "/oktfp", "t"},
     {{"k", "var\n"}},
     echo("missing.txt", "k", "o", "t") +
         "\nError processing keywordExclusionListFile: k\nA duplicate keyword (var) was found!  (line: 1)\n" +
         helpHint(),
     1},
};
INSTANTIATE_TEST_SUITE_P(Runs, CommandLine, ::testing::ValuesIn(kRuns),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace qvmin::e2e
