// Reads and validates the list of source files to concatenate.
#pragma once

#include "platform/path_setting.h"
#include "lists/source_file_list.h"
#include "platform/platform.h"

namespace qvmin {

// Whether a slash may stand in a listed path. On POSIX it is the path separator, so it is
// accepted; on Windows it is one of the bytes a file name may not hold.
#if defined(_WIN32)
inline constexpr bool kSlashAllowedInListedPaths = false;
#else
inline constexpr bool kSlashAllowedInListedPaths = true;
#endif

// Appends every accepted line to list. True on failure, after reporting it.
bool readSourceFilesListFile(const Platform& platform, const PathSetting& path, SourceFileList& list,
                             bool slashAllowed = kSlashAllowedInListedPaths);

}  // namespace qvmin
