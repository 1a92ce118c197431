// The text of a Source Map revision 3 file, written in order through one buffer: the head
// before a run, the mappings during it (by SourceMapRecorder), the names and the sources' text
// after it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/output_buffer.h"

namespace qvmin {

// version, file and sources (already relative to the map's folder), up to the opening quote of
// the mappings.
void writeSourceMapHead(OutputBuffer& map, std::string_view file, const std::vector<std::string>& sources);
// Closes the mappings, writes the names and opens sourcesContent.
void writeSourceMapNames(OutputBuffer& map, const std::vector<std::string_view>& names);
// Closes sourcesContent and the map.
void writeSourceMapEnd(OutputBuffer& map);

// One JSON string given in pieces, as a source is read: a UTF-8 sequence may be split between
// two pieces. Bytes that are not UTF-8 become U+FFFD, as a reader decoding the file makes them.
class JsonStringWriter {
 public:
  explicit JsonStringWriter(OutputBuffer& out) : out_(out) { out_.put('"'); }
  void add(std::string_view bytes);
  void finish();

 private:
  OutputBuffer& out_;
  std::string held_;  // the start of a sequence that the next piece ends
};

}  // namespace qvmin
