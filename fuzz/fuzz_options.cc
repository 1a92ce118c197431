// Arbitrary command lines (the input split at NUL bytes into arguments) through the whole run,
// over files held in memory. Whatever the arguments, the run starts with the banner, ends with
// status 0 or 1, reports an invalid option as its lowercased text, and ends with status 0 only
// after the usage text or a successful pseudo-compilation.
// Each command line is then run again with one of its descriptor calls failing, chosen by a hash
// of the input: that run must fail, say so, and still close every file it opened.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cli/messages.h"
#include "cli/run.h"
#include "fuzz_support.h"

namespace qvmin::fuzzing {
namespace {

constexpr std::size_t kMostArguments = 32;

// Files a command line may name: lists, sources and an exclusion list that a run can use.
void addKnownFiles(MemorySystem& system) {
  system.files["l"] = "s\n";
  system.files["m"] = "s\r\nu";
  system.files["s"] = "var x = y; // z\nfunction f(a) { return a + 0x1F; }\n";
  system.files["u"] = "'unterminated \\' string";
  system.files["k"] = "y\nkw\n";
  system.files["bad"] = "two words\n";
}

std::string lowercased(std::string_view text) {
  std::string copy(text);
  for (char& c : copy) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return copy;
}

enum class Outcome { kRun, kHelp, kInvalid, kBadValue };

// A newer option's value: whether the option is one of them, and whether it takes the value.
bool newerOptionTakes(const std::string& name, const std::string& value, bool& newer) {
  newer = true;
  auto oneOf = [&](std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), value) != words.end();
  };
  if (name == "/syntax") return oneOf({"classic", "modern"});
  if (name == "/env") return oneOf({"none", "browser", "node", "universal"});
  if (name == "/kqn") return oneOf({"off", "on"});
  if (name == "/seed") {
    // Decimal digits, leading zeros allowed, at most 18446744073709551615.
    std::string digits = value.substr(std::min(value.find_first_not_of('0'), value.size()));
    const std::string largest = "18446744073709551615";
    return !value.empty() && value.find_first_not_of("0123456789") == std::string::npos &&
           (digits.size() < largest.size() || (digits.size() == largest.size() && digits <= largest));
  }
  if (name == "/iktfp") return true;
  if (name == "/smfp") return !value.empty();
  if (name == "/smurl") return !value.empty() && value.find_first_of("\n\r") == std::string::npos;
  newer = false;
  return false;
}

// Options in name/value pairs, from the left, until an invalid name or /?; a last argument
// without a partner is ignored, except a lone /?.
struct ExpectedParse {
  Outcome outcome = Outcome::kRun;
  std::string invalid;
  std::string badValue;
  std::map<std::string, std::string> values;  // by option name
};

ExpectedParse expectedParse(const std::vector<std::string>& args) {
  ExpectedParse parse;
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
    std::string name = lowercased(args[i]);
    if (name == "/?") {
      parse.outcome = Outcome::kHelp;
      return parse;
    }
    bool newer = false;
    if (!newerOptionTakes(name, args[i + 1], newer) && newer) {
      parse.outcome = Outcome::kBadValue;
      parse.invalid = name;
      parse.badValue = args[i + 1];
      return parse;
    }
    if (!newer && name != "/sflfp" && name != "/kelfp" && name != "/ofp" && name != "/oktfp") {
      parse.outcome = Outcome::kInvalid;
      parse.invalid = name;
      return parse;
    }
    parse.values[name] = args[i + 1];
  }
  if (args.size() == 1 && args[0] == "/?") parse.outcome = Outcome::kHelp;
  return parse;
}

bool endsWith(std::string_view text, std::string_view end) { return text.ends_with(end); }

// "\n<count> source files successfully pseudo-compiled!\n" closes the output.
bool endsWithSummary(std::string_view printed) {
  constexpr std::string_view kSummary = " source files successfully pseudo-compiled!\n";
  if (!printed.ends_with(kSummary)) return false;
  printed.remove_suffix(kSummary.size());
  std::size_t digits = 0;
  while (digits < printed.size() && printed[printed.size() - 1 - digits] >= '0' &&
         printed[printed.size() - 1 - digits] <= '9') {
    ++digits;
  }
  return digits > 0 && printed.substr(0, printed.size() - digits).ends_with("\n\n");
}

const std::string kHelpHint = "\nHELP: qvmin /?\n";

int runWith(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"qvmin"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return runQvmin(memoryPlatform(), static_cast<int>(argv.size()), argv.data());
}

void checkRun(const std::vector<std::string>& args, const std::string& banner, const std::string& usage) {
  MemorySystem& system = memorySystem();
  const int status = runWith(args);
  const std::string& printed = system.printed;

  require(status == 0 || status == 1, "the exit status is neither 0 nor 1", std::to_string(status));
  require(printed.starts_with(banner), "the output does not begin with the banner", printed);
  require(system.openDescriptorCount() == 0, "a file was left open", printed);

  const ExpectedParse parse = expectedParse(args);
  switch (parse.outcome) {
    case Outcome::kInvalid:
      require(status == 1, "an invalid option did not fail the run");
      require(printed == banner + "Invalid parameter: " + parse.invalid + kHelpHint,
              "the invalid option is not reported as its lowercased text", printed);
      return;
    case Outcome::kBadValue:
      require(status == 1, "a value an option does not take did not fail the run");
      require(printed == banner + "Invalid value for parameter " + parse.invalid + ": " + parse.badValue + kHelpHint,
              "a bad value is not reported with its option and value", printed);
      return;
    case Outcome::kHelp:
      require(status == 0, "the usage text did not end with status 0");
      require(printed == banner + usage, "the help run printed more or less than the usage text", printed);
      return;
    case Outcome::kRun:
      break;
  }
  auto value = [&](const char* name) { return parse.values.find(name); };
  const char* missing = nullptr;
  if (value("/sflfp") == parse.values.end()) {
    missing = "The \"/sflfp sourceFilesListFilePath\" option & parameter must be supplied!\n";
  } else if (value("/ofp") == parse.values.end()) {
    missing = "The \"/ofp outputFilePath\" option & parameter must be supplied!\n";
  } else if (value("/oktfp") == parse.values.end()) {
    missing = "The \"/oktfp outputKeywordTranslationFilePath\" option & parameter must be supplied!\n";
  }
  if (missing != nullptr) {
    require(status == 1, "a run without a required option did not fail");
    require(printed == banner + missing + kHelpHint, "a missing option is not reported alone", printed);
    return;
  }
  const auto exclusions = value("/kelfp");
  const std::string echo = "sourceFilesListFilePath: " + value("/sflfp")->second + "\n" +
                           "keywordExclusionListFilePath: " +
                           (exclusions == parse.values.end() ? std::string("Not Provided") : exclusions->second) +
                           "\n" + "outputFilePath: " + value("/ofp")->second + "\n" +
                           "outputKeywordTranslationFilePath: " + value("/oktfp")->second + "\n";
  require(printed.starts_with(banner + echo), "the settings echo differs from the options", printed);
  if (status == 0) {
    require(endsWithSummary(printed), "status 0 without the usage text or a successful pseudo-compilation", printed);
  } else {
    require(endsWith(printed, kHelpHint), "a failed run did not end with the help hint", printed);
  }
}

// The same command line with the descriptor call failCall failing.
void checkFaultedRun(const std::vector<std::string>& args, const std::string& cleanPrinted) {
  MemorySystem& system = memorySystem();
  const int status = runWith(args);
  require(status == 1, "a run whose file call failed did not fail", system.printed);
  require(endsWith(system.printed, kHelpHint), "a run whose file call failed did not end with the help hint",
          system.printed);
  require(system.printed != cleanPrinted, "a failed file call went unreported", system.printed);
  require(system.openDescriptorCount() == 0, "a file was left open after a failed file call", system.printed);
}

std::uint64_t hashOf(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  return hash;
}

}  // namespace
}  // namespace qvmin::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvmin;
  using namespace qvmin::fuzzing;
  static const std::string banner = capturePrinted(printBanner);
  static const std::string usage = capturePrinted(printUsage);

  std::vector<std::string> args;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!input.empty()) {
    for (;;) {
      std::size_t nul = input.find('\0');
      args.emplace_back(input.substr(0, nul));
      if (nul == std::string_view::npos || args.size() == kMostArguments) break;
      input.remove_prefix(nul + 1);
    }
  }
  resetMemorySystem();
  addKnownFiles(memorySystem());
  checkRun(args, banner, usage);

  // A call that failed anyway (a file that does not exist) changes nothing when made to fail.
  const std::size_t calls = memorySystem().descriptorCalls;
  if (calls == 0) return 0;
  const std::uint64_t hash = hashOf(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::size_t failCall = 1 + hash % calls;
  const std::vector<std::size_t>& failed = memorySystem().failedCalls;
  if (std::find(failed.begin(), failed.end(), failCall) != failed.end()) return 0;
  const std::string cleanPrinted = memorySystem().printed;
  resetMemorySystem();
  addKnownFiles(memorySystem());
  memorySystem().failCall = failCall;
  memorySystem().shortWrite = (hash >> 32) & 1;
  checkFaultedRun(args, cleanPrinted);
  return 0;
}
