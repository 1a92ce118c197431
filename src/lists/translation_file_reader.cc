#include "lists/translation_file_reader.h"

namespace qvmin {

bool rejectTranslationLine(const ListFile& file, const char* problem, int line) {
  reportProcessingError(file);
  say(file.platform, "%s  (line: %d)\n", problem, line);
  return false;
}

}  // namespace qvmin
