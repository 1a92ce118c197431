// Arbitrary bytes as the source files list. The reader must accept the file exactly when every
// line keeps the rules and at least one path is listed, hold the accepted lines in file order,
// and print exactly the report of the first broken rule.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "list_model.h"
#include "lists/source_files_list_reader.h"
#include "fuzz_support.h"

namespace qvmin::fuzzing {
namespace {

const char kListPath[] = "list.txt";

// The bytes a listed path may not hold: every control byte and * / < > ? |, the slash only where
// it is not the path separator.
bool forbiddenInPath(unsigned char byte, bool slashAllowed) {
  if (byte < 0x20) return true;
  if (byte == '/') return !slashAllowed;
  return byte == '*' || byte == '<' || byte == '>' || byte == '?' || byte == '|';
}

struct Expected {
  ListModelOutcome outcome;
  std::vector<std::string> accepted;
};

Expected expectedReading(std::string_view file, bool slashAllowed) {
  Expected expected;
  std::set<std::string, std::less<>> listed;
  const std::string processing = std::string("Error processing sourceFilesListFile: ") + kListPath + "\n";
  auto byteError = [&](unsigned char byte, bool first, int line) -> std::optional<std::string> {
    if (first && byte == ' ')
      return withNumber("The first character of a valid filename cannot be a space!  (line: %d)\n", line);
    if (forbiddenInPath(byte, slashAllowed)) {
      return "The filename on line " + std::to_string(line) +
             " contains an invalid character!  (ASCII character: " + std::to_string(byte) + ")\n";
    }
    return std::nullopt;
  };
  auto lineError = [&](std::string_view text, int line) -> std::optional<std::string> {
    if (text.back() == ' ' || text.back() == '.') {
      return "The filename (" + std::string(text) + ") on line " + std::to_string(line) +
             " is invalid because it ends in a space or a period!\n";
    }
    if (!listed.emplace(text).second) {
      return "A duplicate filename (" + std::string(text) + ") was found!  (line: " + std::to_string(line) + ")\n";
    }
    expected.accepted.emplace_back(text);
    return std::nullopt;
  };
  expected.outcome = modelListFile(file, processing, byteError, lineError);
  if (expected.accepted.empty()) expected.outcome.messages += "\n" + processing + "No filenames were listed!\n";
  return expected;
}

void checkReading(std::string_view file, bool slashAllowed, std::size_t readSize) {
  resetMemorySystem();
  MemorySystem& system = memorySystem();
  system.files[kListPath] = std::string(file);
  system.readSizes = {readSize};

  SourceFileList list;
  const bool failed = readSourceFilesListFile(memoryPlatform(), PathSetting{true, kListPath}, list, slashAllowed);
  const Expected expected = expectedReading(file, slashAllowed);

  const bool shouldFail = expected.outcome.stopped || expected.accepted.empty();
  require(failed == shouldFail, shouldFail ? "an invalid list was accepted" : "a valid list was refused",
          system.printed);
  require(system.printed == expected.outcome.messages, "the report differs from the rules",
          "printed:\n" + system.printed + "\nexpected:\n" + expected.outcome.messages);
  require(list.size() == expected.accepted.size(), "the number of listed paths differs");
  for (std::size_t i = 0; i < list.size(); ++i) {
    require(list.entries[i].path == expected.accepted[i], "a listed path differs from its line", list.entries[i].path);
    require(list.nameSet.contains(expected.accepted[i]), "a listed path is missing from the name set");
  }
  require(list.nameSet.size() == list.size(), "the name set and the list disagree");
  require(system.openDescriptorCount() == 0, "the list file was left open");
}

}  // namespace
}  // namespace qvmin::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvmin::fuzzing;
  std::string_view file(reinterpret_cast<const char*>(data), size);
  // Blocks of a few bytes put line ends, and the CR before a LF, across block boundaries.
  const std::size_t readSize = size == 0 ? 0 : 1 + (data[0] + size) % 7;
  checkReading(file, true, readSize);
  checkReading(file, false, 0);
  return 0;
}
