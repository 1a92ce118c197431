#include "compiler/source_map_file.h"

#include <cstdint>

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

// Writes text as the inside of a JSON string and returns how much of it was written: all of
// it when `last`, else all but a UTF-8 sequence that the next piece may end.
std::size_t escapeJson(OutputBuffer& out, std::string_view text, bool last) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = bytes + text.size();
  std::size_t plain = 0;  // start of the run of bytes copied as they are
  std::size_t at = 0;
  for (;;) {
    // Most text is plain ASCII: the run up to the next byte that needs care goes out in one copy.
    at = static_cast<std::size_t>(skipJsonPlain(bytes + at, end) - bytes);
    if (at == text.size()) break;
    const unsigned char byte = bytes[at];
    if (byte >= 0x80) {
      const int length = utf8SequenceAt(text, at);
      if (length > 0) {
        at += static_cast<std::size_t>(length);
        continue;
      }
      if (length < 0 && !last) break;
    }
    out.append(text.substr(plain, at - plain));
    if (byte == '"' || byte == '\\') {
      const char escape[] = {'\\', static_cast<char>(byte)};
      out.append(std::string_view(escape, sizeof escape));
    } else if (byte == '\n') {
      out.append("\\n");
    } else if (byte >= 0x80) {
      out.append("\\ufffd");
    } else {
      const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 15]};
      out.append(std::string_view(escape, sizeof escape));
    }
    plain = ++at;
  }
  out.append(text.substr(plain, at - plain));
  return at;
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
