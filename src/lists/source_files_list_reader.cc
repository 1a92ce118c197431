#include "lists/source_files_list_reader.h"

#include "lists/line_reader.h"
#include "tables/character_classes.h"

namespace qvmin {
namespace {

struct SourceListRules {
  const ListFile& file;
  SourceFileList& list;
  bool slashAllowed;

  bool acceptByte(unsigned char byte, bool lineIsEmpty, int line) {
    if (lineIsEmpty && byte == ' ') {
      reportProcessingError(file);
      say(file.platform, "The first character of a valid filename cannot be a space!  (line: %d)\n", line);
      return false;
    }
    if (invalidFilenameChars[byte] && !(byte == '/' && slashAllowed)) {
      reportProcessingError(file);
      say(file.platform, "The filename on line %d contains an invalid character!  (ASCII character: %d)\n", line,
          static_cast<int>(byte));
      return false;
    }
    return true;
  }

  bool acceptLine(std::string_view text, int line) {
    char last = text.back();
    if (last == ' ' || last == '.') {
      reportProcessingError(file);
      std::string copy(text);
      say(file.platform, "The filename (%*s) on line %d is invalid because it ends in a space or a period!\n",
          static_cast<int>(text.size()), copy.c_str(), line);
      return false;
    }
    if (!list.add(text)) {
      reportProcessingError(file);
      std::string copy(text);
      say(file.platform, "A duplicate filename (%*s) was found!  (line: %d)\n", static_cast<int>(text.size()),
          copy.c_str(), line);
      return false;
    }
    return true;
  }
};

}  // namespace

bool readSourceFilesListFile(const Platform& platform, const PathSetting& path, SourceFileList& list,
                             bool slashAllowed) {
  ListFile file{platform, "sourceFilesListFile", path};
  SourceListRules rules{file, list, slashAllowed};
  ListReadOutcome outcome = readListFile(file, rules);
  if (outcome == ListReadOutcome::kOpenFailed || outcome == ListReadOutcome::kCloseFailed) return true;
  bool failed = outcome == ListReadOutcome::kStopped;
  if (list.size() == 0) {
    reportProcessingError(file);
    say(platform, "No filenames were listed!\n");
    failed = true;
  }
  return failed;
}

}  // namespace qvmin
