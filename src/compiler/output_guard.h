// Refuses a run whose output files would overwrite one of its inputs or each other.
#pragma once

#include "platform/path_setting.h"
#include "lists/source_file_list.h"
#include "platform/platform.h"

namespace qvmin {

struct RunFiles {
  const PathSetting& sourceFilesListFilePath;
  const PathSetting& keywordExclusionListFilePath;  // may be not supplied
  const PathSetting& outputFilePath;
  const PathSetting& outputKeywordTranslationFilePath;
  const SourceFileList& sourceFiles;
  const PathSetting* inputKeywordTranslationFilePath = nullptr;  // may be not supplied
  const PathSetting* sourceMapFilePath = nullptr;  // when a source map is written
};

// Reports the first output that names the same file as an input (or the other output) and
// returns true; returns false when the outputs are safe to create.
bool reportOutputClash(const Platform& platform, const RunFiles& files);

}  // namespace qvmin
