// Writes the keyword translation file: one line per generic name, in generic-name order.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "containers/text_map.h"
#include "platform/path_setting.h"
#include "platform/platform.h"

namespace qvmin {

// Writes "name,identifier\r\n" for every translation (value the generic name, key the
// identifier), in the given order. True on failure, after reporting it once; what was accepted
// before the failure stays in the file.
bool writeKeywordTranslationFile(const Platform& platform, int fd, const PathSetting& path,
                                 const std::vector<const TextMap::Entry*>& translations);

}  // namespace qvmin
