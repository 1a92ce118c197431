#include "restore/word_restorer.h"

namespace qvmin {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// Bytes from 0x80 up belong to words too, so that a name next to a non-ASCII letter stays.
bool isWordByte(char c) {
  return isLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

void WordRestorer::feed(std::string_view bytes, std::string& out) {
  for (char c : bytes) {
    if (!isBlank(c)) {
      run_ += c;
      continue;
    }
    restoreRun(out);
    out += c;
  }
}

void WordRestorer::finish(std::string& out) { restoreRun(out); }

void WordRestorer::restoreRun(std::string& out) {
  if (run_.find_first_of("/\\") != std::string::npos) {
    out += run_;
    run_.clear();
    return;
  }
  const std::string_view run = run_;
  for (std::size_t at = 0; at < run.size();) {
    if (!isWordByte(run[at])) {
      out += run[at++];
      continue;
    }
    std::size_t end = at;
    bool lettersOnly = true;
    for (; end < run.size() && isWordByte(run[end]); ++end) lettersOnly = lettersOnly && isLetter(run[end]);
    const std::string_view word = run.substr(at, end - at);
    const TextMap::Entry* known = lettersOnly ? identifierOfName_.find(word) : nullptr;
    out += known != nullptr ? known->value : word;
    at = end;
  }
  run_.clear();
}

}  // namespace qvmin
