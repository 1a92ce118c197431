// Finds the positions PATH:LINE:COLUMN of the generated file in text (1-based, as node and the
// browsers print them) and gives the original SOURCE:LINE:COLUMN through a source map.
//
// A position belongs to the map when the last component of PATH (after the last / or \) is the
// last component of the map's `file`; the folders are not compared, since a trace names the
// file where it ran, not where it was built. PATH starts after the last opening bracket, quote,
// '=' or '@' (a '@' right after a slash is part of a folder name), so "at f (/d/app.min.js:1:9)",
// "file:///d/app.min.js:1:9" and "f@https://host/app.min.js:1:9" are each replaced whole. The
// search runs within one run of non-blank bytes: a folder name with a blank keeps the part
// before the blank.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "restore/source_map_reader.h"

namespace qvmin {

struct FoundPosition {
  std::size_t start = 0;  // of PATH
  std::size_t end = 0;    // after COLUMN
  std::string original;   // SOURCE:LINE:COLUMN
};

class PositionRestorer {
 public:
  explicit PositionRestorer(const RestoreMap& map);

  // The first position at or after `from` in run that the map knows; false when there is none.
  bool findNext(std::string_view run, std::size_t from, FoundPosition& found) const;

 private:
  bool lookUp(std::uint64_t line, std::uint64_t column, std::string& original) const;

  const RestoreMap& map_;
  std::string fileName_;  // the last component of the map's file
};

}  // namespace qvmin
