// Paths as a source map names them: relative to the folder the map is in.
#pragma once

#include <string>
#include <string_view>

namespace qvmin {

// The path that leads from the folder holding `file` to `target`, both given as on the command
// line (relative ones from `currentDirectory`, which may be empty when unknown). Worked out from
// the text alone: `.` and `..` are folded, symbolic links are not followed.
std::string pathFromFolderOf(std::string_view file, std::string_view target, std::string_view currentDirectory);

}  // namespace qvmin
