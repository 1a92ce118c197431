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

bool couldBeIdentifier(std::string_view text) {
  if (text.empty() || (text[0] >= '0' && text[0] <= '9')) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  // ASCII identifier characters, the commonest, are passed 16 at a time.
  for (p = skipIdentifierChars(p, end); p < end; p = skipIdentifierChars(p + 1, end)) {
    if (*p < 0x80) return false;
  }
  return true;
}

void QuotedNameCollector::collect(void* context, std::string_view rawContent) {
  auto& collector = *static_cast<QuotedNameCollector*>(context);
  std::string_view text = rawContent;
  // A backslash is no identifier character: raw text that could be one has no escape to decode.
  if (!couldBeIdentifier(text)) {
    if (rawContent.find('\\') == std::string_view::npos) return;
    decodeStringContent(rawContent, collector.decoded);
    text = collector.decoded;
    if (!couldBeIdentifier(text)) return;
  }
  if (collector.kept.emplace(text).second) ++collector.added;
}

}  // namespace qvmin
