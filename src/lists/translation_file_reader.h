// Reads a keyword translation file as qvmin writes it, with the list files' line rules: on each
// line a generic name (letters a-z and A-Z), a comma and an identifier that is not empty and
// holds no whitespace, control byte or comma. Whether a pair repeats an earlier one is for the
// caller to judge, since only the caller keeps the pairs.
//
//   struct Pairs {
//     // A well-formed line. Reports (rejectTranslationLine) and returns false to stop reading.
//     bool accept(std::string_view name, std::string_view identifier, int line);
//   };
#pragma once

#include <string_view>

#include "lists/line_reader.h"

namespace qvmin {

// Reports a faulty line in the list files' style; returns false, to stop reading.
bool rejectTranslationLine(const ListFile& file, const char* problem, int line);

template <typename Pairs>
struct TranslationLineRules {
  const ListFile& file;
  Pairs& pairs;
  bool commaSeen = false;  // on the current line

  static bool isLetter(unsigned char byte) { return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z'); }

  // Checked byte by byte so that a binary file stops at its first stray byte, not after a
  // line of a hundred megabytes.
  bool acceptByte(unsigned char byte, bool lineIsEmpty, int line) {
    if (lineIsEmpty) commaSeen = false;
    if (commaSeen) {
      if (byte > ' ' && byte != 0x7F && byte != ',') return true;
      return rejectTranslationLine(file, "An identifier cannot contain whitespace, a control character or a comma!",
                                   line);
    }
    if (byte == ',' && !lineIsEmpty) {
      commaSeen = true;
      return true;
    }
    if (isLetter(byte)) return true;
    return rejectTranslationLine(file, "A generic name must be one or more of the letters a-z and A-Z!", line);
  }

  bool acceptLine(std::string_view text, int line) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
      return rejectTranslationLine(file, "A line without a comma was encountered!", line);
    }
    if (comma + 1 == text.size()) return rejectTranslationLine(file, "An empty identifier was encountered!", line);
    return pairs.accept(text.substr(0, comma), text.substr(comma + 1), line);
  }
};

// True on failure, after reporting it; an empty file holds no pairs and is accepted.
template <typename Pairs>
bool readTranslationFile(const ListFile& file, Pairs& pairs) {
  TranslationLineRules<Pairs> rules{file, pairs};
  return readListFile(file, rules) != ListReadOutcome::kRead;
}

}  // namespace qvmin
