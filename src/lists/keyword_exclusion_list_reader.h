// Reads the user's keywords that must not be genericized into the keyword table.
#pragma once

#include "platform/path_setting.h"
#include "platform/platform.h"
#include "tables/keyword_table.h"

namespace qvmin {

// Adds every accepted line to table. True on failure, after reporting it; an empty file is
// accepted.
bool readKeywordExclusionListFile(const Platform& platform, const PathSetting& path, KeywordTable& table);

}  // namespace qvmin
