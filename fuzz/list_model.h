// A second, independent reading of the line discipline both list files share, for the list
// fuzz targets to hold the readers against. The file is cut at every LF; a CR may stand only
// as the last byte of a piece (before its LF or at the end of the file); a piece left empty
// once that CR is gone is an empty line when a LF ends it and the end of the list otherwise.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace qvmin::fuzzing {

struct ListModelOutcome {
  bool stopped = false;  // an error ended the reading
  std::string messages;  // exactly what the reader prints for it
};

inline std::string withNumber(const char* format, int number) {
  char text[256];
  std::snprintf(text, sizeof text, format, number);
  return text;
}

// byteError(byte, firstOfLine, line) and lineError(text, line) give the message of a broken rule,
// or nothing; lineError also records the accepted line.
template <typename ByteError, typename LineError>
ListModelOutcome modelListFile(std::string_view file, const std::string& processingLine, ByteError byteError,
                               LineError lineError) {
  ListModelOutcome outcome;
  auto stop = [&](const std::string& message) {
    outcome.stopped = true;
    outcome.messages = "\n" + processingLine + message;
    return outcome;
  };
  std::size_t start = 0;
  for (int line = 1;; ++line) {
    std::size_t lineFeed = file.find('\n', start);
    const bool endedByLineFeed = lineFeed != std::string_view::npos;
    std::string_view piece = file.substr(start, endedByLineFeed ? lineFeed - start : std::string_view::npos);
    for (std::size_t i = 0; i < piece.size(); ++i) {
      unsigned char byte = static_cast<unsigned char>(piece[i]);
      if (byte == '\r') {
        if (i + 1 == piece.size()) continue;
        return stop(withNumber(
            "A carriage return (character 13) was not followed by a line feed (character 10)!  (line: %d)\n", line));
      }
      if (std::optional<std::string> message = byteError(byte, i == 0, line)) return stop(*message);
    }
    std::string_view text = piece;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.empty()) {
      if (endedByLineFeed) return stop(withNumber("An empty line was encountered!  (line: %d)\n", line));
      return outcome;
    }
    if (std::optional<std::string> message = lineError(text, line)) return stop(*message);
    if (!endedByLineFeed) return outcome;
    start = lineFeed + 1;
  }
}

}  // namespace qvmin::fuzzing
