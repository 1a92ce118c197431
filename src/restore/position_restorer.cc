#include "restore/position_restorer.h"

#include <algorithm>

namespace qvmin {
namespace {

std::string_view lastComponent(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from at on; false unless there are 1 to 9 of them (larger numbers are no position).
bool readNumber(std::string_view run, std::size_t& at, std::uint64_t& value) {
  const std::size_t start = at;
  value = 0;
  while (at < run.size() && isDigit(run[at])) value = value * 10 + static_cast<std::uint64_t>(run[at++] - '0');
  return at > start && at - start <= 9;
}

bool opensPath(std::string_view run, std::size_t at) {
  switch (run[at]) {
    case '(': case '[': case '<': case '"': case '\'': case '`': case '=':
      return true;
    case '@':
      return at == 0 || run[at - 1] != '/';
    default:
      return false;
  }
}

}  // namespace

PositionRestorer::PositionRestorer(const RestoreMap& map) : map_(map), fileName_(lastComponent(map.file)) {}

bool PositionRestorer::findNext(std::string_view run, std::size_t from, FoundPosition& found) const {
  if (fileName_.empty()) return false;
  for (std::size_t colon = run.find(':', from); colon != std::string_view::npos; colon = run.find(':', colon + 1)) {
    const std::size_t nameStart = colon - std::min(colon - from, fileName_.size());
    if (colon - nameStart != fileName_.size() || run.substr(nameStart, fileName_.size()) != fileName_) continue;
    if (nameStart > from && run[nameStart - 1] != '/' && run[nameStart - 1] != '\\' && !opensPath(run, nameStart - 1)) {
      continue;  // a longer name that ends like the file's
    }
    std::size_t at = colon + 1;
    std::uint64_t line = 0;
    std::uint64_t column = 0;
    if (!readNumber(run, at, line) || at >= run.size() || run[at] != ':') continue;
    ++at;
    if (!readNumber(run, at, column) || (at < run.size() && isDigit(run[at]))) continue;
    if (!lookUp(line, column, found.original)) continue;
    std::size_t start = nameStart;
    while (start > from && !opensPath(run, start - 1)) --start;
    found.start = start;
    found.end = at;
    return true;
  }
  return false;
}

bool PositionRestorer::lookUp(std::uint64_t line, std::uint64_t column, std::string& original) const {
  if (line == 0 || column == 0 || line > map_.lines.size()) return false;
  const std::vector<MapSegment>& segments = map_.lines[line - 1];
  // The segment at or before the column covers it.
  auto after = std::upper_bound(segments.begin(), segments.end(), column - 1,
                                [](std::uint64_t c, const MapSegment& s) { return c < s.generatedColumn; });
  if (after == segments.begin()) return false;
  const MapSegment& segment = *(after - 1);
  if (segment.source < 0) return false;
  original = map_.sources[static_cast<std::size_t>(segment.source)];
  original += ':' + std::to_string(segment.line + 1) + ':' + std::to_string(segment.column + 1);
  return true;
}

}  // namespace qvmin
