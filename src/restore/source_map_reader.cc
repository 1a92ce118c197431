#include "restore/source_map_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace qvmin {
namespace {

// Deeper nesting than any map needs; the bound keeps a hostile file from exhausting the stack.
constexpr int kMaxDepth = 256;

// A JSON reader over the whole text that stops at the first fault and remembers where it was.
struct JsonCursor {
  std::string_view text;
  std::size_t at = 0;
  bool failed = false;

  bool fail() {
    failed = true;
    return false;
  }
  void skipSpace() {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
  }
  bool take(char c) {
    skipSpace();
    if (at < text.size() && text[at] == c) {
      ++at;
      return true;
    }
    return false;
  }
  bool peek(char c) {
    skipSpace();
    return at < text.size() && text[at] == c;
  }
  bool literal(std::string_view word) {
    if (text.substr(at, word.size()) != word) return fail();
    at += word.size();
    return true;
  }
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool readHex4(JsonCursor& json, std::uint32_t& value) {
  if (json.text.size() - json.at < 4) return json.fail();
  value = 0;
  for (int i = 0; i < 4; ++i) {
    const int digit = hexValue(json.text[json.at++]);
    if (digit < 0) return json.fail();
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return true;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// One escape after its backslash; out null only checks it.
bool readEscape(JsonCursor& json, std::string* out) {
  if (json.at >= json.text.size()) return json.fail();
  const char c = json.text[json.at++];
  const char* plain = std::strchr("\"\\/bfnrt", c);
  if (c != '\0' && plain != nullptr) {
    if (out != nullptr) *out += "\"\\/\b\f\n\r\t"[plain - "\"\\/bfnrt"];
    return true;
  }
  if (c != 'u') return json.fail();
  std::uint32_t unit = 0;
  if (!readHex4(json, unit)) return false;
  if (unit >= 0xD800 && unit < 0xDC00 && json.text.substr(json.at, 2) == "\\u") {
    const std::size_t back = json.at;
    json.at += 2;
    std::uint32_t low = 0;
    if (!readHex4(json, low)) return false;
    if (low >= 0xDC00 && low < 0xE000) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    } else {
      json.at = back;  // a lone high surrogate; the next escape stands on its own
    }
  }
  if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;  // a lone surrogate has no UTF-8 form
  if (out != nullptr) appendUtf8(*out, unit);
  return true;
}

// A string, decoded into out, or skipped when out is null: the plain stretches between escapes
// are found with one search each, which keeps a sourcesContent of many megabytes cheap.
bool readString(JsonCursor& json, std::string* out) {
  if (!json.take('"')) return json.fail();
  for (;;) {
    const std::size_t stop = json.text.find_first_of("\"\\", json.at);
    if (stop == std::string_view::npos) return json.fail();
    if (out != nullptr) out->append(json.text.substr(json.at, stop - json.at));
    json.at = stop + 1;
    if (json.text[stop] == '"') return true;
    if (!readEscape(json, out)) return false;
  }
}

bool readNumber(JsonCursor& json, double* value) {
  json.skipSpace();
  const std::size_t start = json.at;
  auto digits = [&json] {
    const std::size_t from = json.at;
    while (json.at < json.text.size() && json.text[json.at] >= '0' && json.text[json.at] <= '9') ++json.at;
    return json.at > from;
  };
  if (json.at < json.text.size() && json.text[json.at] == '-') ++json.at;
  if (!digits()) return json.fail();
  if (json.at < json.text.size() && json.text[json.at] == '.') {
    ++json.at;
    if (!digits()) return json.fail();
  }
  if (json.at < json.text.size() && (json.text[json.at] == 'e' || json.text[json.at] == 'E')) {
    ++json.at;
    if (json.at < json.text.size() && (json.text[json.at] == '+' || json.text[json.at] == '-')) ++json.at;
    if (!digits()) return json.fail();
  }
  if (value != nullptr) *value = std::strtod(std::string(json.text.substr(start, json.at - start)).c_str(), nullptr);
  return true;
}

bool skipValue(JsonCursor& json, int depth);

// Calls onMember(key) with the cursor on each member's value; onMember reads the value.
template <typename OnMember>
bool readObject(JsonCursor& json, OnMember onMember) {
  if (!json.take('{')) return json.fail();
  if (json.take('}')) return true;
  do {
    std::string key;
    if (!json.peek('"') || !readString(json, &key)) return json.fail();
    if (!json.take(':')) return json.fail();
    if (!onMember(key)) return false;
  } while (json.take(','));
  return json.take('}') || json.fail();
}

template <typename OnElement>
bool readArray(JsonCursor& json, OnElement onElement) {
  if (!json.take('[')) return json.fail();
  if (json.take(']')) return true;
  do {
    if (!onElement()) return false;
  } while (json.take(','));
  return json.take(']') || json.fail();
}

bool skipValue(JsonCursor& json, int depth) {
  if (depth > kMaxDepth) return json.fail();
  json.skipSpace();
  if (json.at >= json.text.size()) return json.fail();
  switch (json.text[json.at]) {
    case '{':
      return readObject(json, [&](std::string_view) { return skipValue(json, depth + 1); });
    case '[':
      return readArray(json, [&] { return skipValue(json, depth + 1); });
    case '"':
      return readString(json, nullptr);
    case 't':
      return json.literal("true");
    case 'f':
      return json.literal("false");
    case 'n':
      return json.literal("null");
    default:
      return readNumber(json, nullptr);
  }
}

// A string, or null (which reads as empty).
bool readStringOrNull(JsonCursor& json, std::string& out) {
  if (json.peek('n')) return json.literal("null");
  return readString(json, &out);
}

std::string atOffset(const char* problem, std::size_t offset) {
  return std::string(problem) + "  (offset: " + std::to_string(offset) + ")";
}

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string readSourceMap(std::string_view text, RestoreMap& map) {
  JsonCursor json{text};
  std::string sourceRoot;
  std::string mappings;
  bool haveFile = false;
  bool haveSources = false;
  bool haveMappings = false;
  double version = 0;
  const bool read = readObject(json, [&](std::string_view key) {
    if (key == "version") return readNumber(json, &version);
    if (key == "file") {
      haveFile = true;
      return readString(json, &map.file);
    }
    if (key == "sourceRoot") return readStringOrNull(json, sourceRoot);
    if (key == "mappings") {
      haveMappings = true;
      return readString(json, &mappings);
    }
    if (key == "sources") {
      haveSources = true;
      map.sources.clear();
      return readArray(json, [&] { return readStringOrNull(json, map.sources.emplace_back()); });
    }
    return skipValue(json, 1);
  });
  if (!read || (json.skipSpace(), json.at != text.size())) {
    return atOffset("The source map is not valid JSON!", json.at);
  }
  if (version != 3) return "The source map is not of version 3!";
  if (!haveFile) return "The source map names no file!";
  if (!haveSources) return "The source map lists no sources!";
  if (!haveMappings) return "The source map has no mappings!";
  if (!sourceRoot.empty()) {
    if (sourceRoot.back() != '/') sourceRoot += '/';
    for (std::string& source : map.sources) source.insert(0, sourceRoot);
  }
  return decodeMappings(mappings, map.sources.size(), map.lines);
}

std::string decodeMappings(std::string_view mappings, std::size_t sourceCount,
                           std::vector<std::vector<MapSegment>>& lines) {
  lines.assign(1, {});
  // Every field but the generated column runs on from the previous segment, across lines.
  std::int64_t fields[5] = {0, 0, 0, 0, 0};
  std::size_t at = 0;
  auto malformed = [&](const char* what) {
    return "The source map's mappings are malformed: " + std::string(what) + "  (line: " +
           std::to_string(lines.size()) + ", offset: " + std::to_string(at) + ")";
  };
  bool sorted = true;
  while (at < mappings.size()) {
    if (mappings[at] == ';') {
      lines.emplace_back();
      fields[0] = 0;
      ++at;
      continue;
    }
    if (mappings[at] == ',') {
      ++at;
      continue;
    }
    int count = 0;
    while (at < mappings.size() && mappings[at] != ',' && mappings[at] != ';') {
      if (count == 5) return malformed("a segment has more than 5 fields!");
      std::uint64_t value = 0;
      int shift = 0;
      for (bool more = true; more; shift += 5) {
        if (at >= mappings.size()) return malformed("a number is cut short!");
        const int digit = base64Value(mappings[at]);
        if (digit < 0) return malformed("a character is not base64!");
        if (shift > 30) return malformed("a number is too large!");
        ++at;
        value |= static_cast<std::uint64_t>(digit & 31) << shift;
        more = (digit & 32) != 0;
      }
      const std::int64_t magnitude = static_cast<std::int64_t>(value >> 1);
      fields[count] += (value & 1) != 0 ? -magnitude : magnitude;
      if (fields[count] < 0 || fields[count] > INT32_MAX) return malformed("a field leaves its range!");
      ++count;
    }
    if (count != 1 && count != 4 && count != 5) return malformed("a segment has 2 or 3 fields!");
    MapSegment segment;
    segment.generatedColumn = static_cast<std::uint32_t>(fields[0]);
    if (count >= 4) {
      if (static_cast<std::uint64_t>(fields[1]) >= sourceCount) return malformed("a source index is out of range!");
      segment.source = static_cast<std::int32_t>(fields[1]);
      segment.line = static_cast<std::uint32_t>(fields[2]);
      segment.column = static_cast<std::uint32_t>(fields[3]);
    }
    std::vector<MapSegment>& line = lines.back();
    if (!line.empty() && line.back().generatedColumn > segment.generatedColumn) sorted = false;
    line.push_back(segment);
  }
  // Maps are written sorted; a map that is not still looks up right.
  if (!sorted) {
    for (auto& line : lines) {
      std::stable_sort(line.begin(), line.end(),
                       [](const MapSegment& a, const MapSegment& b) { return a.generatedColumn < b.generatedColumn; });
    }
  }
  return {};
}

}  // namespace qvmin
