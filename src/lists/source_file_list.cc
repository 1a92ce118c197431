#include "lists/source_file_list.h"

namespace qvmin {

bool SourceFileList::add(std::string_view path) {
  if (nameSet.contains(path)) return false;
  entries.push_back(SourceFileEntry{std::string(path)});
  nameSet.insert(entries.back().path);
  return true;
}

}  // namespace qvmin
