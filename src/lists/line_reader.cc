#include "lists/line_reader.h"

namespace qvmin {

void reportProcessingError(const ListFile& file) {
  say(file.platform, "\n");
  say(file.platform, "Error processing %.*s: %*s\n", static_cast<int>(file.role.size()), file.role.data(),
      file.path.width(), file.path.c_str());
}

namespace detail {

bool reportCarriageReturn(const ListFile& file, int line) {
  reportProcessingError(file);
  say(file.platform, "A carriage return (character 13) was not followed by a line feed (character 10)!  (line: %d)\n",
      line);
  return true;
}

bool reportEmptyLine(const ListFile& file, int line) {
  reportProcessingError(file);
  say(file.platform, "An empty line was encountered!  (line: %d)\n", line);
  return true;
}

void reportReadError(const ListFile& file, int line) {
  say(file.platform, "\n");
  say(file.platform, "An error occured on line %d, while reading from the %.*s: %*s\n", line,
      static_cast<int>(file.role.size()), file.role.data(), file.path.width(), file.path.c_str());
}

}  // namespace detail
}  // namespace qvmin
