#include "restore/word_restorer.h"

#include <utility>

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
  const std::string_view run = run_;
  found_.clear();
  for (FoundPosition position; positions_ != nullptr && positions_->findNext(run, found_.empty() ? 0 : found_.back().end, position);) {
    found_.push_back(std::move(position));
  }
  // The path rule looks at what stays of the run: "f@https://host/app.min.js:1:9" still has
  // its f restored once the position is replaced.
  bool path = false;
  std::size_t at = 0;
  for (const FoundPosition& position : found_) {
    path = path || run.substr(at, position.start - at).find_first_of("/\\") != std::string_view::npos;
    at = position.end;
  }
  path = path || run.substr(at).find_first_of("/\\") != std::string_view::npos;
  at = 0;
  for (const FoundPosition& position : found_) {
    restoreWords(run.substr(at, position.start - at), path, out);
    out += position.original;
    at = position.end;
  }
  restoreWords(run.substr(at), path, out);
  run_.clear();
}

void WordRestorer::restoreWords(std::string_view text, bool path, std::string& out) const {
  if (path) {
    out += text;
    return;
  }
  for (std::size_t at = 0; at < text.size();) {
    if (!isWordByte(text[at])) {
      out += text[at++];
      continue;
    }
    std::size_t end = at;
    bool lettersOnly = true;
    for (; end < text.size() && isWordByte(text[end]); ++end) lettersOnly = lettersOnly && isLetter(text[end]);
    const std::string_view word = text.substr(at, end - at);
    const TextMap::Entry* known = lettersOnly ? identifierOfName_.find(word) : nullptr;
    out += known != nullptr ? known->value : word;
    at = end;
  }
}

}  // namespace qvmin
