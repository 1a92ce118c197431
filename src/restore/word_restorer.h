// Puts the identifiers back into text that mentions generic names: a stack trace, an error
// message, a log. Only whole words are replaced, and runs of non-blank bytes that hold a slash
// or backslash (paths and URLs) are left alone: a file name such as app.min.js must survive
// even when "min" or "js" is a generic name. Given a PositionRestorer, the positions of the
// generated file are replaced first; the slash rule then looks at the rest of the run, and the
// replacements are never searched for names (cart.js:4:3 holds no slash, yet "js" may be a
// generic name).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "containers/text_map.h"
#include "restore/position_restorer.h"

namespace qvmin {

class WordRestorer {
 public:
  explicit WordRestorer(const TextMap& identifierOfName, const PositionRestorer* positions = nullptr)
      : identifierOfName_(identifierOfName), positions_(positions) {}

  // Appends the restored form of bytes to out; a run of non-blank bytes at the end is held back
  // until it is complete.
  void feed(std::string_view bytes, std::string& out);
  // Appends what is held back.
  void finish(std::string& out);

 private:
  void restoreRun(std::string& out);
  void restoreWords(std::string_view text, bool path, std::string& out) const;

  const TextMap& identifierOfName_;  // generic name -> identifier
  const PositionRestorer* positions_;  // null: names only
  std::string run_;                  // the non-blank bytes seen since the last blank
  std::vector<FoundPosition> found_;  // in run_, kept to reuse its storage
};

}  // namespace qvmin
