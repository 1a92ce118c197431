#include "compiler/source_map_file.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "compiler/byte_skips.h"

namespace qvmin {
namespace {

// The length of the well-formed UTF-8 sequence at text[at]; 0 when it is malformed, -1 when
// text ends before it does but may go on.
int utf8SequenceAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  const std::size_t present = text.size() - at < length ? text.size() - at : length;
  for (std::size_t i = 1; i < present; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
  }
  return present < length ? -1 : static_cast<int>(length);
}

// How each byte that needs care is written in a JSON string, when it is not the start of a
// well-formed UTF-8 sequence: up to six characters, padded to eight.
struct JsonEscape {
  char text[8];
  std::uint8_t length;
};
constexpr std::array<JsonEscape, 256> kJsonEscapes = [] {
  constexpr char kHex[] = "0123456789abcdef";
  std::array<JsonEscape, 256> escapes{};
  for (int b = 0; b < 256; ++b) {
    JsonEscape& escape = escapes[static_cast<std::size_t>(b)];
    if (b == '"' || b == '\\') {
      escape = JsonEscape{{'\\', static_cast<char>(b)}, 2};
    } else if (b == '\n') {
      escape = JsonEscape{{'\\', 'n'}, 2};
    } else if (b < 0x20) {
      escape = JsonEscape{{'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 15]}, 6};
    } else {
      escape = JsonEscape{{'\\', 'u', 'f', 'f', 'f', 'd'}, 6};  // a byte that begins no UTF-8 sequence
    }
  }
  return escapes;
}();

// Bytes that a JSON string cannot hold as they are, and the first bytes of UTF-8 sequences,
// which are checked.
constexpr std::array<bool, 256> kNeedsCare = [] {
  std::array<bool, 256> care{};
  for (int b = 0; b < 256; ++b) care[static_cast<std::size_t>(b)] = b < 0x20 || b == '"' || b == '\\' || b >= 0x80;
  return care;
}();

// Writes text as the inside of a JSON string and returns how much of it was written: all of
// it when `last`, else all but a UTF-8 sequence that the next piece may end. The text is
// escaped a piece at a time into a staging area, with 16 bytes copied at once while none needs
// care, and each piece goes to the buffer in one append.
std::size_t escapeJson(OutputBuffer& out, std::string_view text, bool last) {
  constexpr std::size_t kPiece = 4096;
  // Every byte of a piece may grow to six; a 64-byte copy or a sequence may reach past it.
  char stage[kPiece * 6 + 64];
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = bytes + text.size();
  const unsigned char* p = bytes;
  while (p < end) {
    const unsigned char* const pieceEnd = end - p > static_cast<std::ptrdiff_t>(kPiece) ? p + kPiece : end;
    char* to = stage;
    while (p < pieceEnd) {
#if defined(QVMIN_VECTOR_SCAN)
      if (pieceEnd - p >= 128) {
        std::uint64_t care = jsonCareBits(p);
        if ((care & nonAsciiBits(p)) == 0) {
          // No UTF-8 to check among these 64 bytes, only escapes (indentation and line ends
          // come in runs): all of them in one go, each plain stretch copied 64 bytes at once.
          unsigned from = 0;
          while (care != 0) {
            const auto at = static_cast<unsigned>(__builtin_ctzll(care));
            std::memcpy(to, p + from, 64);
            to += at - from;
            const JsonEscape& escape = kJsonEscapes[p[at]];
            std::memcpy(to, escape.text, sizeof escape.text);
            to += escape.length;
            from = at + 1;
            care &= care - 1;
          }
          std::memcpy(to, p + from, 64);
          to += 64 - from;
          p += 64;
          continue;
        }
      }
      if (pieceEnd - p >= 16) {
        std::memcpy(to, p, 16);
        const unsigned care = jsonCareLanes(p);
        const unsigned plain = care == 0 ? 16 : static_cast<unsigned>(__builtin_ctz(care));
        p += plain;
        to += plain;
        if (care == 0) continue;
      } else if (!kNeedsCare[*p]) {
        *to++ = static_cast<char>(*p++);
        continue;
      }
#else
      if (!kNeedsCare[*p]) {
        *to++ = static_cast<char>(*p++);
        continue;
      }
#endif
      const unsigned char byte = *p;
      if (byte >= 0x80) {
        const std::size_t at = static_cast<std::size_t>(p - bytes);
        const int length = utf8SequenceAt(text, at);
        if (length > 0) {
          std::memcpy(to, p, static_cast<std::size_t>(length));
          p += length;
          to += length;
          continue;
        }
        if (length < 0 && !last) {
          out.append(std::string_view(stage, static_cast<std::size_t>(to - stage)));
          return at;
        }
      }
      const JsonEscape& escape = kJsonEscapes[byte];
      std::memcpy(to, escape.text, sizeof escape.text);
      to += escape.length;
      ++p;
    }
    out.append(std::string_view(stage, static_cast<std::size_t>(to - stage)));
  }
  return text.size();
}

void appendJsonString(OutputBuffer& out, std::string_view text) {
  out.put('"');
  escapeJson(out, text, true);
  out.put('"');
}

}  // namespace

void writeSourceMapHead(OutputBuffer& map, std::string_view file, const std::vector<std::string>& sources) {
  map.append("{\"version\":3,\"file\":");
  appendJsonString(map, file);
  map.append(",\"sources\":[");
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (i != 0) map.put(',');
    appendJsonString(map, sources[i]);
  }
  map.append("],\"mappings\":\"");
}

void writeSourceMapNames(OutputBuffer& map, const std::vector<std::string_view>& names) {
  map.append("\",\"names\":[");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i != 0) map.put(',');
    appendJsonString(map, names[i]);
  }
  map.append("],\"sourcesContent\":[");
}

void writeSourceMapEnd(OutputBuffer& map) { map.append("]}\n"); }

void JsonStringWriter::add(std::string_view bytes) {
  if (held_.empty()) {
    held_.assign(bytes.substr(escapeJson(out_, bytes, false)));
    return;
  }
  std::string piece = std::move(held_);
  piece.append(bytes);
  held_.assign(std::string_view(piece).substr(escapeJson(out_, piece, false)));
}

void JsonStringWriter::finish() {
  escapeJson(out_, held_, true);
  held_.clear();
  out_.put('"');
}

}  // namespace qvmin
