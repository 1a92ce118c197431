// Runs over list files in a scratch directory, and the standard output such runs should give.
// Every run uses the same file names, so the settings echo is always the same.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace qvmin::e2e {

inline const std::string kListName = "list.txt";
inline const std::string kExclusionsName = "kw.txt";
inline const std::string kOutputName = "out.js";
inline const std::string kTranslationName = "map.txt";

// Writes the lists that are given (a missing one is not created) and runs
// /sflfp list.txt [/kelfp kw.txt] /ofp out.js /oktfp map.txt.
RunResult runWithLists(const ScratchDir& dir, const std::optional<std::string>& sourceList,
                       const std::optional<std::string>& exclusionList = std::nullopt,
                       const RunOptions& options = {});

// Banner and settings echo of runWithLists, with or without the exclusion list.
std::string listRunPrologue(bool withExclusions = false);

// A report of a bad line: the empty line, the "Error processing" line naming the list, then
// the message.
std::string sourceListError(const std::string& message);
std::string exclusionListError(const std::string& message);

// The closing lines of a run that succeeded with this many source files.
std::string pseudoCompiled(unsigned count);
// The closing lines of a failed source files list.
std::string aborted();
// The help hint that ends every failed run.
std::string helpHint();

// What follows the echo when the source files list is rejected by message: the report, the
// empty-list report when no path was accepted before it, and the closing lines.
std::string rejectedFirstLine(const std::string& message);
std::string rejectedLaterLine(const std::string& message);

// One list file and what standard output must hold after the settings echo. The exit status
// follows from it: 1 when the output ends with the help hint, else 0.
struct ListCase {
  std::string name;
  std::string bytes;
  std::string afterEcho;
};

inline void PrintTo(const ListCase& listCase, std::ostream* os) { *os << listCase.name; }

inline int expectedStatus(const std::string& afterEcho) { return afterEcho.ends_with(helpHint()) ? 1 : 0; }

}  // namespace qvmin::e2e
