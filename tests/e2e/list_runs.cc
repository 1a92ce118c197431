#include "e2e/list_runs.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

namespace qvmin::e2e {

namespace {

// Creates every listed path that can be made inside the directory as an empty source file, so
// that a list the reader accepts also compiles.
void createListedFiles(const ScratchDir& dir, const std::string& list) {
  std::string madeDirectory;
  std::size_t at = 0;
  while (at < list.size()) {
    std::size_t end = list.find('\n', at);
    if (end == std::string::npos) end = list.size();
    std::string path = list.substr(at, end - at);
    at = end + 1;
    if (!path.empty() && path.back() == '\r') path.pop_back();
    if (path.empty() || path.size() > 200 || path.front() == '/' || path.find("..") != std::string::npos) continue;
    std::string file = dir.path() + "/" + path;
    std::string parent = file.substr(0, file.rfind('/'));
    if (parent != madeDirectory) {
      std::error_code ignored;
      std::filesystem::create_directories(parent, ignored);
      madeDirectory = parent;
    }
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) ::close(fd);
  }
}

}  // namespace

RunResult runWithLists(const ScratchDir& dir, const std::optional<std::string>& sourceList,
                       const std::optional<std::string>& exclusionList, const RunOptions& options) {
  if (sourceList) {
    dir.write(kListName, *sourceList);
    createListedFiles(dir, *sourceList);
  }
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
