#include "cli/run.h"

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
  if (extended.syntaxGiven) {
    say(platform, "syntax: %s\n", extended.compile.syntax == Syntax::kModern ? "modern" : "classic");
  }
  const PathSetting& earlierTranslation = extended.inputKeywordTranslationFilePath;
  if (earlierTranslation.supplied) {
    say(platform, "inputKeywordTranslationFilePath: %*s\n", earlierTranslation.width(), earlierTranslation.c_str());
  }
  if (extended.compile.seed) {
    say(platform, "seed: %llu\n", static_cast<unsigned long long>(*extended.compile.seed));
  }
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
  // The modern grammar keeps the language's own words; a listed name may repeat one of them.
  if (run.extended.compile.syntax == Syntax::kModern) addCuratedNames(keywords, CuratedList::kJavascript);
  // Read once the keyword table is complete: it decides which earlier pairs are dropped.
  const PathSetting& earlierTranslation = run.extended.inputKeywordTranslationFilePath;
  if (earlierTranslation.supplied) {
    if (readKeptNames(platform, earlierTranslation, keywords, run.keptNames)) {
      say(platform, "\n");
      say(platform, "Pseudo-Compilation Aborted!\n");
      return true;
    }
    run.extended.compile.keptNames = &run.keptNames;
  }
  RunFiles files{settings.sourceFilesListFilePath, settings.keywordExclusionListFilePath, settings.outputFilePath,
                 settings.outputKeywordTranslationFilePath, run.sourceFiles, &earlierTranslation};
  if (pseudoCompile(platform, files, keywords, run.extended.compile)) {
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
