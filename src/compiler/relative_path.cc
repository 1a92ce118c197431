#include "compiler/relative_path.h"

#include <vector>

namespace qvmin {
namespace {

// The components of path, `.` and `..` folded; relative paths are read from base.
std::vector<std::string_view> components(std::string_view path, std::string_view base) {
  std::vector<std::string_view> parts;
  auto add = [&parts](std::string_view text) {
    std::size_t begin = 0;
    while (begin <= text.size()) {
      std::size_t slash = text.find('/', begin);
      if (slash == std::string_view::npos) slash = text.size();
      std::string_view part = text.substr(begin, slash - begin);
      if (part == "..") {
        if (!parts.empty() && parts.back() != "..") {
          parts.pop_back();
        } else if (!text.starts_with('/')) {
          parts.push_back(part);  // above an unknown current directory
        }
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      begin = slash + 1;
    }
  };
  if (!path.starts_with('/')) add(base);
  add(path);
  return parts;
}

}  // namespace

std::string pathFromFolderOf(std::string_view file, std::string_view target, std::string_view currentDirectory) {
  std::vector<std::string_view> from = components(file, currentDirectory);
  if (!from.empty()) from.pop_back();  // the folder, not the file
  const std::vector<std::string_view> to = components(target, currentDirectory);
  std::size_t shared = 0;
  while (shared < from.size() && shared < to.size() && from[shared] == to[shared] && from[shared] != "..") ++shared;
  std::string path;
  for (std::size_t i = shared; i < from.size(); ++i) path += "../";
  for (std::size_t i = shared; i < to.size(); ++i) {
    path += to[i];
    if (i + 1 < to.size()) path += '/';
  }
  return path;
}

}  // namespace qvmin
