// The accepted lines of the source files list, in list order, and the set used to reject
// duplicates. References to entries stay valid while entries are appended.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>

namespace qvmin {

struct SourceFileEntry {
  std::string path;
  int width() const { return static_cast<int>(path.size()); }
};

struct SourceFileList {
  std::deque<SourceFileEntry> entries;              // sourceFileList
  std::unordered_set<std::string_view> nameSet;     // sourceFileNameSet, viewing entries' paths

  // Appends the path unless it is already listed; false for a duplicate.
  bool add(std::string_view path);
  std::size_t size() const { return entries.size(); }
  void release() {
    nameSet.clear();
    entries.clear();
  }
};

}  // namespace qvmin
