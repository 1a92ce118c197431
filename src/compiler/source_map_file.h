// Writes a recorded source map as a Source Map revision 3 JSON file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/source_map.h"
#include "platform/platform.h"

namespace qvmin {

// `file` and `sources` are already relative to the map's folder. False when a write failed.
bool writeSourceMapFile(const Platform& platform, int fd, const SourceMapRecorder& recorder, std::string_view file,
                        const std::vector<std::string>& sources);

}  // namespace qvmin
