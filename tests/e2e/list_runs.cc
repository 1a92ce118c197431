#include "e2e/list_runs.h"

namespace qvmin::e2e {

RunResult runWithLists(const ScratchDir& dir, const std::optional<std::string>& sourceList,
                       const std::optional<std::string>& exclusionList, const RunOptions& options) {
  if (sourceList) dir.write(kListName, *sourceList);
  std::vector<std::string> args{"/sflfp", kListName};
  if (exclusionList) {
    dir.write(kExclusionsName, *exclusionList);
    args.insert(args.end(), {"/kelfp", kExclusionsName});
  }
  args.insert(args.end(), {"/ofp", kOutputName, "/oktfp", kTranslationName});
  return runQvmin(dir.path(), args, options);
}

std::string listRunPrologue(bool withExclusions) {
  return banner() + echo(kListName, withExclusions ? kExclusionsName : "", kOutputName, kTranslationName);
}

std::string sourceListError(const std::string& message) {
  return "\nError processing sourceFilesListFile: " + kListName + "\n" + message;
}

std::string exclusionListError(const std::string& message) {
  return "\nError processing keywordExclusionListFile: " + kExclusionsName + "\n" + message;
}

std::string pseudoCompiled(unsigned count) {
  return "\n" + std::to_string(count) + " source files successfully pseudo-compiled!\n";
}

std::string aborted() { return "\nPseudo-Compilation Aborted!\n" + helpHint(); }

std::string helpHint() { return "\nHELP: qvmin /?\n"; }

std::string rejectedFirstLine(const std::string& message) {
  return sourceListError(message) + sourceListError("No filenames were listed!\n") + aborted();
}

std::string rejectedLaterLine(const std::string& message) { return sourceListError(message) + aborted(); }

}  // namespace qvmin::e2e
