// Reading the translation file back, to check outputs whose generic names are random.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qvmin::e2e {

struct Token {
  enum Kind { kIdentifier, kOther } kind;
  std::string text;
};

// Splits minified output the way the scanner sees it: strings, numbers (with hexadecimal
// digits and exponents) and identifiers; everything else one byte at a time.
std::vector<Token> tokenize(const std::string& text);

// The translation file's lines as (name, identifier), checking each line's shape.
std::vector<std::pair<std::string, std::string>> parseTranslation(const std::string& bytes);

// Shorter names first; within a length a..z before A..Z.
bool nameOrder(const std::string& a, const std::string& b);

// The output with every generic name replaced by the identifier the translation file gives
// for it: what a run that keeps identifiers would have written.
std::string untranslate(const std::string& output, const std::string& translationBytes);

}  // namespace qvmin::e2e
