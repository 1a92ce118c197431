// The central phase: creates the output files, scans every listed source file into the
// output, and writes the translation file.
#pragma once

#include "compiler/compile_options.h"
#include "compiler/output_guard.h"
#include "platform/platform.h"
#include "tables/keyword_table.h"

namespace qvmin {

// True on failure, after reporting it.
// With keepQuotedNames, the names that string literals hold are added to keywordTable first.
bool pseudoCompile(const Platform& platform, const RunFiles& files, KeywordTable& keywordTable,
                   const CompileOptions& options = {});

}  // namespace qvmin
