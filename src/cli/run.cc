#include "cli/run.h"

#include <vector>

#include "cli/messages.h"
#include "cli/options.h"
#include "compiler/kept_names.h"
#include "compiler/pseudo_compile.h"
#include "lists/keyword_exclusion_list_reader.h"
#include "lists/source_file_list.h"
#include "lists/source_files_list_reader.h"
#include "platform/console.h"
#include "tables/curated_lists.h"
#include "tables/keyword_table.h"

namespace qvmin {
namespace {

// Everything one run fills and reads.
struct RunData {
  PathSettings settings;
  ExtendedSettings extended;
  KeywordTable keywordTable;
  SourceFileList sourceFiles;
  KeptNames keptNames;
};

// Reports the first missing required setting; false when one is missing.
bool requiredSettingsPresent(const Platform& platform, const PathSettings& settings) {
  if (!settings.sourceFilesListFilePath.supplied) {
    say(platform, "The \"/sflfp sourceFilesListFilePath\" option & parameter must be supplied!\n");
    return false;
  }
  if (!settings.outputFilePath.supplied) {
    say(platform, "The \"/ofp outputFilePath\" option & parameter must be supplied!\n");
    return false;
  }
  if (!settings.outputKeywordTranslationFilePath.supplied) {
    say(platform, "The \"/oktfp outputKeywordTranslationFilePath\" option & parameter must be supplied!\n");
    return false;
  }
  return true;
}

void echoSettings(const Platform& platform, const PathSettings& settings) {
  const PathSetting& list = settings.sourceFilesListFilePath;
  const PathSetting& exclusions = settings.keywordExclusionListFilePath;
  const PathSetting& output = settings.outputFilePath;
  const PathSetting& translation = settings.outputKeywordTranslationFilePath;
  say(platform, "sourceFilesListFilePath: %*s\n", list.width(), list.c_str());
  if (exclusions.supplied) {
    say(platform, "keywordExclusionListFilePath: %*s\n", exclusions.width(), exclusions.c_str());
  } else {
    say(platform, "keywordExclusionListFilePath: Not Provided\n");
  }
  say(platform, "outputFilePath: %*s\n", output.width(), output.c_str());
  say(platform, "outputKeywordTranslationFilePath: %*s\n", translation.width(), translation.c_str());
}

// One line per newer option that was given, after the classic four.
void echoExtendedSettings(const Platform& platform, const ExtendedSettings& extended) {
  const CompileOptions& given = extended.given;
  if (extended.syntaxGiven) say(platform, "syntax: %s\n", given.syntax == Syntax::kModern ? "modern" : "classic");
  if (extended.environmentGiven) {
    static constexpr const char* kNames[] = {"none", "browser", "node", "universal"};
    say(platform, "environment: %s\n", kNames[static_cast<int>(given.environment)]);
  }
  if (extended.keepQuotedNamesGiven) say(platform, "keepQuotedNames: %s\n", given.keepQuotedNames ? "on" : "off");
  const PathSetting& map = extended.sourceMapFilePath;
  if (map.supplied) say(platform, "sourceMapFilePath: %*s\n", map.width(), map.c_str());
  if (extended.sourceMapUrlGiven) {
    say(platform, "sourceMapUrl: %*s\n", static_cast<int>(given.sourceMapUrl.size()), given.sourceMapUrl.c_str());
  }
  const PathSetting& earlierTranslation = extended.inputKeywordTranslationFilePath;
  if (earlierTranslation.supplied) {
    say(platform, "inputKeywordTranslationFilePath: %*s\n", earlierTranslation.width(), earlierTranslation.c_str());
  }
  if (given.seed) say(platform, "seed: %llu\n", static_cast<unsigned long long>(*given.seed));
}

// The names that the run keeps besides the built-in keywords and the exclusion list: the
// language's own with the modern grammar, and those of the chosen environment. A listed name
// may repeat one of them.
void addKeptNames(KeywordTable& keywords, const CompileOptions& options) {
  const Environment environment = options.environment;
  std::vector<CuratedList> lists;
  if (options.syntax == Syntax::kModern) lists.push_back(CuratedList::kJavascript);
  if (environment != Environment::kNone) lists.push_back(CuratedList::kCommon);
  if (environment == Environment::kBrowser || environment == Environment::kUniversal) {
    lists.push_back(CuratedList::kBrowser);
  }
  if (environment == Environment::kNode || environment == Environment::kUniversal) {
    lists.push_back(CuratedList::kNode);
  }
  // Room for all of them at once: growing the table as they come would place every name again.
  std::size_t count = keywords.listed.size();
  for (CuratedList list : lists) count += curatedListSize(list);
  keywords.listed.reserve(count);
  for (CuratedList list : lists) addCuratedNames(keywords, list);
}

// Runs the phases; true on failure. Each phase has reported its own errors.
bool runPhases(const Platform& platform, RunData& run) {
  const PathSettings& settings = run.settings;
  if (settings.keywordExclusionListFilePath.supplied &&
      readKeywordExclusionListFile(platform, settings.keywordExclusionListFilePath, run.keywordTable)) {
    return true;
  }
  if (readSourceFilesListFile(platform, settings.sourceFilesListFilePath, run.sourceFiles)) {
    say(platform, "\n");
    say(platform, "Pseudo-Compilation Aborted!\n");
    return true;
  }
  KeywordTable& keywords = run.keywordTable;
  CompileOptions options = run.extended.resolved();
  addKeptNames(keywords, options);
  const PathSetting& earlierTranslation = run.extended.inputKeywordTranslationFilePath;
  RunFiles files{settings.sourceFilesListFilePath, settings.keywordExclusionListFilePath, settings.outputFilePath,
                 settings.outputKeywordTranslationFilePath, run.sourceFiles, &earlierTranslation};
  if (run.extended.sourceMapFilePath.supplied) files.sourceMapFilePath = &run.extended.sourceMapFilePath;
  if (options.keepQuotedNames && collectQuotedNames(platform, files, keywords, options)) {
    say(platform, "\n");
    say(platform, "Pseudo-Compilation Aborted!\n");
    return true;
  }
  // Read once the keyword table is complete: it decides which earlier pairs are dropped.
  if (earlierTranslation.supplied) {
    if (readKeptNames(platform, earlierTranslation, keywords, run.keptNames)) {
      say(platform, "\n");
      say(platform, "Pseudo-Compilation Aborted!\n");
      return true;
    }
    options.keptNames = &run.keptNames;
  }
  if (pseudoCompile(platform, files, keywords, options)) {
    say(platform, "\n");
    say(platform, "Pseudo-Compilation Aborted!\n");
    return true;
  }
  say(platform, "\n");
  say(platform, "%u source files successfully pseudo-compiled!\n", static_cast<unsigned>(run.sourceFiles.size()));
  return false;
}

// Releases the path settings and the source file list; the keyword table lives on.
void releaseRunData(RunData& run) {
  run.settings = PathSettings{};
  run.sourceFiles.release();
}

}  // namespace

int runQvmin(const Platform& platform, int argc, const char* const* argv) {
  printBanner(platform);
  RunData run;
  initReservedKeywords(run.keywordTable);

  ParsedCommandLine parsed = parseCommandLine(argc, argv);
  run.settings = std::move(parsed.settings);
  run.extended = parsed.extended;
  bool failed = false;
  switch (parsed.outcome) {
    case ParseOutcome::kInvalid:
      say(platform, "Invalid parameter: %*s", static_cast<int>(parsed.invalidOption.size()),
          parsed.invalidOption.c_str());
      failed = true;
      break;
    case ParseOutcome::kBadValue:
      say(platform, "Invalid value for parameter %s: %*s", parsed.invalidOption.c_str(),
          static_cast<int>(parsed.badValue.size()), parsed.badValue.c_str());
      failed = true;
      break;
    case ParseOutcome::kHelp:
      break;
    case ParseOutcome::kRun:
      if (!requiredSettingsPresent(platform, run.settings)) {
        failed = true;
        break;
      }
      echoSettings(platform, run.settings);
      echoExtendedSettings(platform, run.extended);
      failed = runPhases(platform, run);
      break;
  }
  releaseRunData(run);

  if (failed) {
    say(platform, "\n");
    say(platform, "HELP: qvmin /?\n");
  } else if (parsed.outcome == ParseOutcome::kHelp) {
    printUsage(platform);
  }
  return failed ? 1 : 0;
}

}  // namespace qvmin
