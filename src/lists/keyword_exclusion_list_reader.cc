#include "lists/keyword_exclusion_list_reader.h"

#include <string>

#include "lists/line_reader.h"
#include "tables/character_classes.h"

namespace qvmin {
namespace {

struct ExclusionListRules {
  const ListFile& file;
  KeywordTable& table;

  bool reject(const char* message, int line) {
    reportProcessingError(file);
    say(file.platform, message, line);
    return false;
  }

  bool acceptByte(unsigned char byte, bool lineIsEmpty, int line) {
    if (lineIsEmpty && digitChars[byte])
      return reject("The first character of a valid keyword cannot be a number!  (line: %d)\n", line);
    if (operatorChars[byte])
      return reject("A valid keyword cannot contain an operator or punctuation character!  (line: %d)\n", line);
    if (whitespaceChars[byte]) return reject("A valid keyword cannot contain whitespace!  (line: %d)\n", line);
    return true;
  }

  bool acceptLine(std::string_view text, int line) {
    // The keyword ends at the line's first NUL byte.
    std::string_view keyword = text.substr(0, text.find('\0'));
    if (isKeyword(table, keyword)) {
      reportProcessingError(file);
      std::string copy(keyword);
      // The field is as wide as the whole line, so a keyword cut at a NUL is padded.
      say(file.platform, "A duplicate keyword (%*s) was found!  (line: %d)\n", static_cast<int>(text.size()),
          copy.c_str(), line);
      return false;
    }
    table.emplace(keyword);
    return true;
  }
};

}  // namespace

bool readKeywordExclusionListFile(const Platform& platform, const PathSetting& path, KeywordTable& table) {
  ListFile file{platform, "keywordExclusionListFile", path};
  ExclusionListRules rules{file, table};
  return readListFile(file, rules) != ListReadOutcome::kRead;
}

}  // namespace qvmin
