#include "cli/options.h"

#include <string_view>

namespace qvmin {
namespace {

std::string lowercased(std::string_view text) {
  std::string copy(text);
  for (char& c : copy) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return copy;
}

PathSetting* settingFor(std::string_view name, PathSettings& settings) {
  if (name == "/sflfp") return &settings.sourceFilesListFilePath;
  if (name == "/kelfp") return &settings.keywordExclusionListFilePath;
  if (name == "/ofp") return &settings.outputFilePath;
  if (name == "/oktfp") return &settings.outputKeywordTranslationFilePath;
  return nullptr;
}

}  // namespace

ParsedCommandLine parseCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine parsed;
  const int n = argc - 1;
  for (int i = 1; i < n;) {
    std::string name = lowercased(argv[i]);
    if (name == "/?") {
      parsed.outcome = ParseOutcome::kHelp;
      return parsed;
    }
    if (name == "/syntax") {
      const std::string_view value = argv[i + 1];
      if (value == "classic" || value == "modern") {
        parsed.extended.syntaxGiven = true;
        parsed.extended.compile.syntax = value == "modern" ? Syntax::kModern : Syntax::kClassic;
        i += 2;
        continue;
      }
      parsed.outcome = ParseOutcome::kBadValue;
      parsed.invalidOption = std::move(name);
      parsed.badValue = value;
      return parsed;
    }
    PathSetting* setting = settingFor(name, parsed.settings);
    if (setting == nullptr) {
      parsed.outcome = ParseOutcome::kInvalid;
      parsed.invalidOption = std::move(name);
      return parsed;
    }
    setting->supplied = true;
    setting->text = argv[i + 1];
    i += 2;
  }
  if (n == 1 && std::string_view(argv[1]) == "/?") parsed.outcome = ParseOutcome::kHelp;
  return parsed;
}

}  // namespace qvmin
