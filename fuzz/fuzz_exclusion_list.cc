// Arbitrary bytes as the keyword exclusion list. The reader must accept the file exactly when
// every line keeps the rules, leave the keyword table holding the reserved keywords and the
// keywords of the lines before the first broken rule, and print exactly its report.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "list_model.h"
#include "lists/keyword_exclusion_list_reader.h"
#include "fuzz_support.h"

namespace qvmin::fuzzing {
namespace {

const char kListPath[] = "exclusions.txt";

bool isDigit(unsigned char byte) { return byte >= '0' && byte <= '9'; }
bool isOperator(unsigned char byte) {
  return std::string_view("!#%&()*+,-./:;<=>?[\\]^{|}~").find(static_cast<char>(byte)) != std::string_view::npos;
}

struct Expected {
  ListModelOutcome outcome;
  KeywordTable table;  // the reserved keywords and every accepted keyword
};

Expected expectedReading(std::string_view file) {
  Expected expected;
  initReservedKeywords(expected.table);
  const std::string processing = std::string("Error processing keywordExclusionListFile: ") + kListPath + "\n";
  auto byteError = [](unsigned char byte, bool first, int line) -> std::optional<std::string> {
    if (first && isDigit(byte))
      return withNumber("The first character of a valid keyword cannot be a number!  (line: %d)\n", line);
    if (isOperator(byte))
      return withNumber("A valid keyword cannot contain an operator or punctuation character!  (line: %d)\n", line);
    if (byte == '\t' || byte == ' ')
      return withNumber("A valid keyword cannot contain whitespace!  (line: %d)\n", line);
    return std::nullopt;
  };
  auto lineError = [&](std::string_view text, int line) -> std::optional<std::string> {
    // The keyword ends at the first NUL byte; the report's field keeps the width of the line.
    std::string keyword(text.substr(0, text.find('\0')));
    if (!expected.table.insert(keyword).second) {
      return "A duplicate keyword (" + std::string(text.size() - keyword.size(), ' ') + keyword +
             ") was found!  (line: " + std::to_string(line) + ")\n";
    }
    return std::nullopt;
  };
  expected.outcome = modelListFile(file, processing, byteError, lineError);
  return expected;
}

}  // namespace
}  // namespace qvmin::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvmin;
  using namespace qvmin::fuzzing;
  std::string_view file(reinterpret_cast<const char*>(data), size);
  resetMemorySystem();
  MemorySystem& system = memorySystem();
  system.files[kListPath] = std::string(file);
  system.readSizes = {size == 0 ? 0 : 1 + (data[0] + size) % 7, 0};

  KeywordTable table;
  initReservedKeywords(table);
  require(table.names.size() == kReservedKeywordCount, "the reserved keyword table is not complete");
  const bool failed = readKeywordExclusionListFile(memoryPlatform(), PathSetting{true, kListPath}, table);
  const Expected expected = expectedReading(file);

  require(failed == expected.outcome.stopped,
          expected.outcome.stopped ? "an invalid exclusion list was accepted" : "a valid exclusion list was refused",
          system.printed);
  require(system.printed == expected.outcome.messages, "the report differs from the rules",
          "printed:\n" + system.printed + "\nexpected:\n" + expected.outcome.messages);
  require(table.names == expected.table.names, "the keyword table differs from the accepted lines");
  require(system.openDescriptorCount() == 0, "the exclusion list was left open");
  return 0;
}
