// Puts the identifiers back into text that mentions generic names: a stack trace, an error
// message, a log. Only whole words are replaced, and runs of non-blank bytes that hold a slash
// or backslash (paths and URLs) are left alone: a file name such as app.min.js must survive
// even when "min" or "js" is a generic name.
#pragma once

#include <string>
#include <string_view>

#include "containers/text_map.h"

namespace qvmin {

class WordRestorer {
 public:
  explicit WordRestorer(const TextMap& identifierOfName) : identifierOfName_(identifierOfName) {}

  // Appends the restored form of bytes to out; a run of non-blank bytes at the end is held back
  // until it is complete.
  void feed(std::string_view bytes, std::string& out);
  // Appends what is held back.
  void finish(std::string& out);

 private:
  void restoreRun(std::string& out);

  const TextMap& identifierOfName_;  // generic name -> identifier
  std::string run_;                  // the non-blank bytes seen since the last blank
};

}  // namespace qvmin
