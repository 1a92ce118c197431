// The central phase: creates the output files, scans every listed source file into the
// output, and writes the translation file.
#pragma once

#include "compiler/compile_options.h"
#include "compiler/output_guard.h"
#include "platform/platform.h"
#include "tables/keyword_table.h"

namespace qvmin {

// True on failure, after reporting it.
// The first pass of keep-quoted-names: reads the string literals of every source and adds the
// names they hold to keywordTable, before any output is created. True on failure, after
// reporting it as pseudoCompile would.
bool collectQuotedNames(const Platform& platform, const RunFiles& files, KeywordTable& keywordTable,
                        const CompileOptions& options);

// True on failure, after reporting it.
bool pseudoCompile(const Platform& platform, const RunFiles& files, KeywordTable& keywordTable,
                   const CompileOptions& options = {});

}  // namespace qvmin
