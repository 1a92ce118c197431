// Writes the keyword translation file: one line per generic name, in generic-name order.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "platform/path_setting.h"
#include "platform/platform.h"

namespace qvmin {

// A generic name and the identifier it replaced.
using TranslationPair = std::pair<std::string_view, std::string_view>;

// Writes "name,identifier\r\n" for every pair, in the given order. True on failure, after
// reporting it once; what was accepted before the failure stays in the file.
bool writeKeywordTranslationFile(const Platform& platform, int fd, const PathSetting& path,
                                 const std::vector<TranslationPair>& pairs);

}  // namespace qvmin
