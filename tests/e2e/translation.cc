#include "e2e/translation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace qvmin::e2e {

std::vector<Token> tokenize(const std::string& text) {
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  auto isStart = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$'; };
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t start = i;
    char c = text[i];
    if (c == '\'' || c == '"') {
      for (++i; i < text.size() && text[i] != c; ++i) {
        if (text[i] == '\\') ++i;
      }
      i = std::min(i + 1, text.size());
    } else if (isDigit(c)) {
      if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        for (i += 2; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i) {
        }
      } else {
        while (i < text.size() && isDigit(text[i])) ++i;
        if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
          ++i;
          if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
          while (i < text.size() && isDigit(text[i])) ++i;
        }
      }
    } else if (isStart(c)) {
      while (i < text.size() && (isStart(text[i]) || isDigit(text[i]))) ++i;
      tokens.push_back({Token::kIdentifier, text.substr(start, i - start)});
      continue;
    } else {
      ++i;
    }
    tokens.push_back({Token::kOther, text.substr(start, i - start)});
  }
  return tokens;
}

std::vector<std::pair<std::string, std::string>> parseTranslation(const std::string& bytes) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "line without CR LF";
    if (end == std::string::npos) break;
    std::string line = bytes.substr(at, end - at);
    std::size_t comma = line.find(',');
    EXPECT_NE(comma, std::string::npos) << line;
    pairs.emplace_back(line.substr(0, comma), line.substr(comma + 1));
    at = end + 2;
  }
  return pairs;
}

bool nameOrder(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  auto rank = [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' : c - 'A' + 26; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return rank(a[i]) < rank(b[i]);
  }
  return false;
}

std::string untranslate(const std::string& output, const std::string& translationBytes) {
  auto pairs = parseTranslation(translationBytes);
  std::map<std::string, std::string> names(pairs.begin(), pairs.end());
  std::string translated;
  for (const Token& token : tokenize(output)) {
    auto found = token.kind == Token::kIdentifier ? names.find(token.text) : names.end();
    translated += found == names.end() ? token.text : found->second;
  }
  return translated;
}

}  // namespace qvmin::e2e
