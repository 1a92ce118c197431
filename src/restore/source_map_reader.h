// Reads back the Source Map revision 3 files that /smfp writes (and any other map of the same
// shape): the generated file's name, the sources and, per output line, the decoded segments.
// Keys other than file, sourceRoot, sources and mappings are skipped without decoding, so a
// large sourcesContent costs one scan.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvmin {

// One decoded mapping; lines and columns 0-based, columns in UTF-16 code units.
struct MapSegment {
  std::uint32_t generatedColumn = 0;
  std::int32_t source = -1;  // -1: a segment that maps to no source
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

struct RestoreMap {
  std::string file;
  std::vector<std::string> sources;  // sourceRoot already put in front; null sources are empty
  std::vector<std::vector<MapSegment>> lines;  // by output line, sorted by generated column
};

// Empty on success, else the problem in the words of a report line.
std::string readSourceMap(std::string_view json, RestoreMap& map);

// Decodes a `mappings` string against sourceCount sources; empty on success.
std::string decodeMappings(std::string_view mappings, std::size_t sourceCount,
                           std::vector<std::vector<MapSegment>>& lines);

}  // namespace qvmin
