#include "compiler/quoted_names.h"

#include "compiler/byte_skips.h"
#include "compiler/code_points.h"

namespace qvmin {
namespace {

// Reads `count` hex digits at raw[i]; false when they are not all there.
bool readHex(std::string_view raw, std::size_t i, std::size_t count, std::uint32_t& value) {
  if (raw.size() - i < count) return false;
  value = 0;
  for (std::size_t k = 0; k < count; ++k) {
    if (!isHexDigit(static_cast<unsigned char>(raw[i + k]))) return false;
    value = (value << 4) | hexValue(static_cast<unsigned char>(raw[i + k]));
  }
  return true;
}

}  // namespace

void decodeStringContent(std::string_view raw, std::string& decoded) {
  decoded.clear();
  for (std::size_t i = 0; i < raw.size();) {
    const char c = raw[i];
    if (c != '\\' || i + 1 == raw.size()) {
      decoded.push_back(c);
      ++i;
      continue;
    }
    const char e = raw[i + 1];
    i += 2;
    std::uint32_t value = 0;
    switch (e) {
      case 'n': decoded.push_back('\n'); break;
      case 't': decoded.push_back('\t'); break;
      case 'r': decoded.push_back('\r'); break;
      case 'b': decoded.push_back('\b'); break;
      case 'f': decoded.push_back('\f'); break;
      case 'v': decoded.push_back('\v'); break;
      case '0': decoded.push_back('\0'); break;
      case '\r':
        if (i < raw.size() && raw[i] == '\n') ++i;  // a line continuation adds nothing
        break;
      case '\n':
        break;
      case 'x':
        if (readHex(raw, i, 2, value)) {
          appendUtf8(decoded, value);
          i += 2;
        } else {
          decoded.push_back('x');
        }
        break;
      case 'u':
        if (i < raw.size() && raw[i] == '{') {
          const std::size_t close = raw.find('}', i);
          bool ok = close != std::string_view::npos && close > i + 1 && close - i <= 7;
          for (std::size_t k = i + 1; ok && k < close; ++k) ok = isHexDigit(static_cast<unsigned char>(raw[k]));
          if (ok) {
            readHex(raw, i + 1, close - i - 1, value);
            ok = value <= 0x10FFFF;
          }
          if (ok) {
            appendUtf8(decoded, value);
            i = close + 1;
          } else {
            decoded.push_back('u');
          }
        } else if (readHex(raw, i, 4, value)) {
          appendUtf8(decoded, value);
          i += 4;
        } else {
          decoded.push_back('u');
        }
        break;
      default:
        decoded.push_back(e);  // \' \" \\ and any other character stand for themselves
        break;
    }
  }
}

namespace {

// Bytes that an identifier may hold after its first: $, _, ASCII letters and digits, and any byte
// from 0x80.
constexpr CharacterClass kIdentifierPartBytes = [] {
  CharacterClass bytes = kAsciiIdentifierChars;
  for (int b = 0x80; b < 256; ++b) bytes[b] = true;
  return bytes;
}();

// How many bytes at the start of the text are identifier bytes.
std::size_t identifierBytesAtStart(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && kIdentifierPartBytes[static_cast<unsigned char>(text[i])]) ++i;
  return i;
}

}  // namespace

bool couldBeIdentifier(std::string_view text) {
  if (text.empty() || (text[0] >= '0' && text[0] <= '9')) return false;
  return identifierBytesAtStart(text) == text.size();
}

void QuotedNameCollector::collect(void* context, std::string_view rawContent) {
  auto& collector = *static_cast<QuotedNameCollector*>(context);
  if (rawContent.empty() || (rawContent[0] >= '0' && rawContent[0] <= '9')) return;  // so is the value
  std::string_view text = rawContent;
  const std::size_t plain = identifierBytesAtStart(rawContent);
  if (plain != rawContent.size()) {
    // A byte before any backslash is in the value as it is: only an escape there may still
    // leave an identifier.
    if (rawContent[plain] != '\\') return;
    decodeStringContent(rawContent, collector.decoded);
    text = collector.decoded;
    if (!couldBeIdentifier(text)) return;
  }
  if (collector.kept.emplace(text).second) ++collector.added;
}

}  // namespace qvmin
