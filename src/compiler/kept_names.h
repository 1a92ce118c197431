// The names of an earlier run (/iktfp): read before any output is created, then handed to the
// genericizer, which gives each listed identifier its name again and never draws a kept name
// for another.
#pragma once

#include <vector>

#include "compiler/genericizer.h"
#include "containers/text_map.h"
#include "platform/path_setting.h"
#include "platform/platform.h"
#include "tables/keyword_table.h"

namespace qvmin {

struct KeptNames {
  TextMap identifiers;                            // identifier -> its kept name
  std::vector<Translation> numbered;              // the kept pairs, by their names' pool numbers
};

// Reads the translation file at path. A pair whose name is refused as a generic name, or whose
// identifier is a keyword, by the run's final keyword table, is dropped; a name the pool never
// hands out is malformed. True on failure, after
// reporting it.
bool readKeptNames(const Platform& platform, const PathSetting& path, const KeywordTable& keywords, KeptNames& kept);

// Gives a set-up genericizer that has not named anything yet the kept pairs; kept is emptied.
void keepNames(Genericizer& genericizer, KeptNames& kept);

// The pool number a generic name is spelled from; nullopt for names the pool never holds (two
// letters or more starting with a, or more letters than the largest pool).
std::optional<std::uint32_t> poolNumberOf(std::string_view name);

}  // namespace qvmin
