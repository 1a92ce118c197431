#include "cli/options.h"

#include <cstdint>
#include <optional>
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

// Decimal digits only, leading zeros allowed, at most 2^64-1.
std::optional<std::uint64_t> parseSeed(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
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
    if (name == "/seed") {
      const std::string_view value = argv[i + 1];
      if (std::optional<std::uint64_t> seed = parseSeed(value)) {
        parsed.extended.compile.seed = seed;
        i += 2;
        continue;
      }
      parsed.outcome = ParseOutcome::kBadValue;
      parsed.invalidOption = std::move(name);
      parsed.badValue = value;
      return parsed;
    }
    PathSetting* setting = name == "/iktfp" ? &parsed.extended.inputKeywordTranslationFilePath
                                            : settingFor(name, parsed.settings);
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
