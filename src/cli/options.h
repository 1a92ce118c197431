// Turns the command line into the run's path settings.
#pragma once

#include <string>

#include "compiler/compile_options.h"
#include "platform/path_setting.h"

namespace qvmin {

struct PathSettings {
  PathSetting sourceFilesListFilePath;       // /sflfp
  PathSetting keywordExclusionListFilePath;  // /kelfp
  PathSetting outputFilePath;                // /ofp
  PathSetting outputKeywordTranslationFilePath;  // /oktfp
};

enum class ParseOutcome {
  kRun,      // go on to the required-setting checks
  kHelp,     // /? was given: print the usage text
  kInvalid,  // an invalid option ended parsing
  kBadValue, // a known option with a value it does not take ended parsing
};

// The newer options, each echoed only when it was given; what is not given follows the syntax.
struct ExtendedSettings {
  bool syntaxGiven = false;
  bool environmentGiven = false;
  bool keepQuotedNamesGiven = false;
  bool sourceMapUrlGiven = false;
  PathSetting sourceMapFilePath;  // /smfp
  CompileOptions given;

  CompileOptions resolved() const {
    CompileOptions options = given;
    const bool modern = given.syntax == Syntax::kModern;
    if (!environmentGiven) options.environment = modern ? Environment::kUniversal : Environment::kNone;
    if (!keepQuotedNamesGiven) options.keepQuotedNames = modern;
    return options;
  }
  PathSetting inputKeywordTranslationFilePath;  // /iktfp
};

struct ParsedCommandLine {
  ParseOutcome outcome = ParseOutcome::kRun;
  PathSettings settings;
  ExtendedSettings extended;
  std::string invalidOption;  // lowercased, when outcome is kInvalid or kBadValue
  std::string badValue;       // as given, when outcome is kBadValue
};

// Options are name/value pairs; names are matched without regard to ASCII letter case. An
// option without a partner at the end of the line is ignored.
ParsedCommandLine parseCommandLine(int argc, const char* const* argv);

}  // namespace qvmin
