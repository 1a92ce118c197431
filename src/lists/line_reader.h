// The line discipline shared by both list files: CR LF or LF line ends, no empty lines, no
// lone CR, line numbers from 1, a last line without a line end accepted. What each list
// checks per byte and does with a finished line is given by a rules value:
//
//   struct Rules {
//     // Every byte other than CR and LF, unless a CR is pending. Reports and returns false
//     // to stop reading.
//     bool acceptByte(unsigned char byte, bool lineIsEmpty, int line);
//     // A finished, non-empty line with its own number. Reports and returns false to stop.
//     bool acceptLine(std::string_view text, int line);
//   };
#pragma once

#include <string_view>

#include "platform/path_setting.h"
#include "containers/char_list.h"
#include "platform/console.h"
#include "platform/file_handle.h"

namespace qvmin {

// Which list file is read, as its messages name it.
struct ListFile {
  const Platform& platform;
  std::string_view role;  // "sourceFilesListFile" or "keywordExclusionListFile"
  const PathSetting& path;
};

// Prints the empty line and the "Error processing" line that precede every validation error.
void reportProcessingError(const ListFile& file);

enum class ListReadOutcome {
  kRead,          // the whole file was read and closed
  kStopped,       // an error was reported while reading; the file was closed
  kOpenFailed,    // reported; nothing to close
  kCloseFailed,   // reported
};

namespace detail {
bool reportCarriageReturn(const ListFile& file, int line);
bool reportEmptyLine(const ListFile& file, int line);
void reportReadError(const ListFile& file, int line);
inline constexpr std::size_t kListReadBlock = 64 * 1024;
}  // namespace detail

template <typename Rules>
ListReadOutcome readListFile(const ListFile& file, Rules& rules) {
  const Platform& platform = file.platform;
  int fd = platform.openForReading(file.path.c_str());
  if (fd < 0) {
    say(platform, "\n");
    say(platform, "Error opening %.*s: %*s\n", static_cast<int>(file.role.size()), file.role.data(),
        file.path.width(), file.path.c_str());
    return ListReadOutcome::kOpenFailed;
  }
  FileHandle handle(platform, fd);

  CharList lineBytes;
  initCharList(lineBytes);
  int line = 1;
  bool crPending = false;
  bool stopped = false;
  char block[detail::kListReadBlock];

  while (!stopped) {
    std::ptrdiff_t got = platform.read(fd, block, sizeof block);
    if (got < 0) {
      detail::reportReadError(file, line);
      stopped = true;
      break;
    }
    if (got == 0) {
      // A last line without a line end counts like any other; a pending CR is dropped.
      if (charListCount(lineBytes) != 0 && !rules.acceptLine(charListView(lineBytes), line)) stopped = true;
      break;
    }
    for (std::ptrdiff_t i = 0; i < got; ++i) {
      unsigned char byte = static_cast<unsigned char>(block[i]);
      if (byte == '\r') {
        if (crPending) {
          stopped = detail::reportCarriageReturn(file, line);
          break;
        }
        crPending = true;
      } else if (byte == '\n') {
        if (charListCount(lineBytes) == 0) {
          stopped = detail::reportEmptyLine(file, line);
          break;
        }
        ++line;
        crPending = false;
        bool accepted = rules.acceptLine(charListView(lineBytes), line - 1);
        clearCharList(lineBytes);
        if (!accepted) {
          stopped = true;
          break;
        }
      } else if (crPending) {
        stopped = detail::reportCarriageReturn(file, line);
        break;
      } else if (!rules.acceptByte(byte, charListCount(lineBytes) == 0, line)) {
        stopped = true;
        break;
      } else {
        addCharListChar(lineBytes, byte);
      }
    }
  }
  freeCharList(lineBytes);

  if (!handle.close()) {
    say(platform, "\n");
    say(platform, "Error closing the %.*s: %*s\n", static_cast<int>(file.role.size()), file.role.data(),
        file.path.width(), file.path.c_str());
    return ListReadOutcome::kCloseFailed;
  }
  return stopped ? ListReadOutcome::kStopped : ListReadOutcome::kRead;
}

}  // namespace qvmin
