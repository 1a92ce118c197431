#include "cli/options.h"

#include <cstdint>
#include <initializer_list>
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

// The position of the value among the words an option takes, or -1.
int wordIndex(std::string_view value, std::initializer_list<std::string_view> words) {
  int index = 0;
  for (std::string_view word : words) {
    if (value == word) return index;
    ++index;
  }
  return -1;
}

// Sets a newer option from its value; false when the value is not one it takes. Options that
// are not newer ones are left to the caller.
bool setNewerOption(std::string_view name, std::string_view value, ExtendedSettings& extended, bool& known) {
  known = true;
  if (name == "/syntax") {
    const int index = wordIndex(value, {"classic", "modern"});
    extended.syntaxGiven = true;
    extended.given.syntax = index == 1 ? Syntax::kModern : Syntax::kClassic;
    return index >= 0;
  }
  if (name == "/env") {
    const int index = wordIndex(value, {"none", "browser", "node", "universal"});
    extended.environmentGiven = true;
    extended.given.environment = static_cast<Environment>(index < 0 ? 0 : index);
    return index >= 0;
  }
  if (name == "/kqn") {
    const int index = wordIndex(value, {"off", "on"});
    extended.keepQuotedNamesGiven = true;
    extended.given.keepQuotedNames = index == 1;
    return index >= 0;
  }
  if (name == "/seed") {
    const std::optional<std::uint64_t> seed = parseSeed(value);
    extended.given.seed = seed;
    return seed.has_value();
  }
  if (name == "/smfp") {
    extended.sourceMapFilePath.supplied = true;
    extended.sourceMapFilePath.text = value;
    return !value.empty();
  }
  if (name == "/smurl") {
    // The URL ends the output on a line of its own.
    extended.sourceMapUrlGiven = true;
    extended.given.sourceMapUrl = value;
    return !value.empty() && value.find_first_of("\n\r") == std::string_view::npos;
  }
  known = false;
  return false;
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
    bool newer = false;
    if (setNewerOption(name, argv[i + 1], parsed.extended, newer)) {
      i += 2;
      continue;
    }
    if (newer) {
      parsed.outcome = ParseOutcome::kBadValue;
      parsed.invalidOption = std::move(name);
      parsed.badValue = argv[i + 1];
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
