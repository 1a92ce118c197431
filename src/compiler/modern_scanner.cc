#include "compiler/modern_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <utility>

#include "compiler/byte_skips.h"
#include "compiler/code_points.h"
#include "compiler/punctuators.h"

namespace qvmin {
namespace {

// How a byte in code begins what follows.
enum class CodeByte : std::uint8_t {
  kIdentifierStart,
  kDigit,
  kWhitespace,
  kLineTerminator,
  kQuote,
  kBackquote,
  kSlash,
  kDot,
  kPunctuator,
  kLonePunctuator,  // one that no byte after it can lengthen and that no bracket hangs on: [ ] ; , : ~
  kOpenParenthesis,
  kCloseParenthesis,
  kOpenBrace,
  kCloseBrace,
  kBackslash,
  kHash,
  kNonAscii,
  kOther,
};

constexpr std::array<CodeByte, 256> kCodeBytes = [] {
  // The ASCII bytes that begin something of their own; any other begins nothing.
  constexpr std::pair<std::string_view, CodeByte> kBytesOfKind[] = {
      {" \t\v\f", CodeByte::kWhitespace},    {"\n\r", CodeByte::kLineTerminator},
      {"'\"", CodeByte::kQuote},               {"`", CodeByte::kBackquote},
      {"/", CodeByte::kSlash},                 {".", CodeByte::kDot},
      {"\\", CodeByte::kBackslash},            {"#", CodeByte::kHash},
      {"(", CodeByte::kOpenParenthesis},       {")", CodeByte::kCloseParenthesis},
      {"{", CodeByte::kOpenBrace},             {"}", CodeByte::kCloseBrace},
      {"[];,:~", CodeByte::kLonePunctuator},   {"<>=!+-*%&|^?", CodeByte::kPunctuator},
  };
  std::array<CodeByte, 256> kinds{};
  for (int b = 0; b < 256; ++b) {
    kinds[b] = identifierStartChars[b] ? CodeByte::kIdentifierStart
               : digitChars[b]         ? CodeByte::kDigit
               : b >= 0x80             ? CodeByte::kNonAscii
                                       : CodeByte::kOther;
  }
  for (const auto& [bytes, kind] : kBytesOfKind) {
    for (const char c : bytes) kinds[static_cast<unsigned char>(c)] = kind;
  }
  return kinds;
}();

// The length of the Unicode white space or line terminator that starts at p (UTF-8), 0 when
// none does, -1 when the bytes end too early to tell and more are coming.
int unicodeSpaceAt(const unsigned char* p, const unsigned char* end, bool last, bool& lineTerminator) {
  const unsigned char lead = *p;
  if (lead != 0xC2 && lead != 0xE1 && lead != 0xE2 && lead != 0xE3 && lead != 0xEF) return 0;
  const std::ptrdiff_t have = end - p;
  const int need = lead == 0xC2 ? 2 : 3;
  if (have < need) return last ? 0 : -1;
  const unsigned char b1 = p[1];
  lineTerminator = false;
  switch (lead) {
    case 0xC2:
      return b1 == 0xA0 ? 2 : 0;  // no-break space
    case 0xE1:
      return b1 == 0x9A && p[2] == 0x80 ? 3 : 0;  // ogham space mark
    case 0xE2:
      if (b1 == 0x80) {
        const unsigned char b2 = p[2];
        if (b2 == 0xA8 || b2 == 0xA9) {  // line and paragraph separators
          lineTerminator = true;
          return 3;
        }
        return (b2 >= 0x80 && b2 <= 0x8A) || b2 == 0xAF ? 3 : 0;
      }
      return b1 == 0x81 && p[2] == 0x9F ? 3 : 0;  // medium mathematical space
    case 0xE3:
      return b1 == 0x80 && p[2] == 0x80 ? 3 : 0;  // ideographic space
    default:
      return b1 == 0xBB && p[2] == 0xBF ? 3 : 0;  // byte order mark
  }
}


// Past a \u escape at p (p[1] is 'u'), setting the code point; p + 2 when it is malformed (the
// two bytes then stand for themselves); null when the bytes end too early to tell.
const unsigned char* escapeEnd(const unsigned char* p, const unsigned char* end, bool last, std::uint32_t& codePoint) {
  const unsigned char* q = p + 2;
  codePoint = 0;
  if (q < end && *q == '{') {
    ++q;
    const unsigned char* digits = q;
    while (q < end && isHexDigit(*q)) {
      codePoint = codePoint > 0x10FFFF ? codePoint : (codePoint << 4) | hexValue(*q);
      ++q;
    }
    if (q == end) return last ? p + 2 : nullptr;
    if (*q != '}' || q == digits || codePoint > 0x10FFFF) return p + 2;
    return q + 1;
  }
  for (int i = 0; i < 4; ++i, ++q) {
    if (q == end) return last ? p + 2 : nullptr;
    if (!isHexDigit(*q)) return p + 2;
    codePoint = (codePoint << 4) | hexValue(*q);
  }
  return q;
}

// Past the identifier that starts at p; sets `escaped` when it holds a \u escape. Null when it
// may go on past `end` and more bytes are coming.
[[gnu::always_inline]] inline const unsigned char* identifierEnd(const unsigned char* p, const unsigned char* end, bool last, bool& escaped) {
  for (;;) {
    p = skipIdentifierChars(p, end);
    if (p == end) [[unlikely]] return last ? p : nullptr;
    const unsigned char c = *p;
    if (c == '\\') [[unlikely]] {
      if (end - p < 2) return last ? p : nullptr;
      if (p[1] != 'u') return p;
      std::uint32_t codePoint;
      const unsigned char* after = escapeEnd(p, end, last, codePoint);
      if (after == nullptr) return nullptr;
      escaped = true;
      p = after;
    } else if (c >= 0x80) [[unlikely]] {
      bool lineTerminator;
      const int space = unicodeSpaceAt(p, end, last, lineTerminator);
      if (space < 0) return nullptr;
      if (space > 0) return p;
      ++p;
    } else {
      return p;
    }
  }
}

// The identifier's text with its escapes decoded; malformed escapes stay as they are.
void decodeIdentifier(std::string_view raw, std::string& out) {
  out.clear();
  const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
  const auto* end = p + raw.size();
  while (p < end) {
    if (*p == '\\' && end - p >= 2 && p[1] == 'u') {
      std::uint32_t codePoint;
      const unsigned char* after = escapeEnd(p, end, true, codePoint);
      if (after != p + 2) {
        appendUtf8(out, codePoint);
        p = after;
        continue;
      }
    }
    out.push_back(static_cast<char>(*p++));
  }
}

const unsigned char* skipDigitsAndSeparators(const unsigned char* p, const unsigned char* end) {
  while (p < end && (digitChars[*p] || *p == '_')) ++p;
  return p;
}

// Past the number that starts at p (a digit, or a dot before a digit). Letters glued to a number
// stay with it, so that a number is never split into a number and an identifier. Null when it may
// go on past `end` and more bytes are coming.
const unsigned char* numberEnd(const unsigned char* p, const unsigned char* end, bool last) {
  const unsigned char* q = p;
  if (end - q < 3 && !last) return nullptr;
  // Plain decimal digits, the commonest number, end at a byte that cannot go on with them.
  while (q < end && digitChars[*q]) ++q;
  if (q < end && q > p && !kAsciiIdentifierChars[*q] && *q != '.') return q;
  q = p;
  if (*q == '0' && q + 1 < end && ((q[1] | 0x20) == 'x' || (q[1] | 0x20) == 'o' || (q[1] | 0x20) == 'b')) {
    q = skipIdentifierChars(q + 2, end);
    return q == end && !last ? nullptr : q;
  }
  if (*q != '.') {
    q = skipDigitsAndSeparators(q, end);
    if (q == end) return last ? q : nullptr;
    // A legacy octal literal (010) takes no fraction: a dot after it reads a property.
    bool legacyOctal = *p == '0' && q - p >= 2;
    for (const unsigned char* d = p + 1; legacyOctal && d < q; ++d) legacyOctal = *d >= '0' && *d <= '7';
    if (*q == '.' && !legacyOctal) q = skipDigitsAndSeparators(q + 1, end);
  } else {
    q = skipDigitsAndSeparators(q + 1, end);
  }
  if (q == end) return last ? q : nullptr;
  if ((*q | 0x20) == 'e') {
    if (end - q < 3 && !last) return nullptr;
    const unsigned char* digits = q + 1;
    if (digits < end && (*digits == '+' || *digits == '-')) ++digits;
    if (digits < end && digitChars[*digits]) q = skipDigitsAndSeparators(digits, end);
  }
  const unsigned char* glued = skipIdentifierChars(q, end);
  return glued == end && !last ? nullptr : glued;
}

// What a word means to the scanner's few decisions; only words written without escapes count.
// The bits are those of ModernScanner::context, so that they are the context after the word.
constexpr unsigned kRegexAfter = ModernScanner::kRegexAllowed;  // a slash after it begins a regular expression
constexpr unsigned kOpensControl = ModernScanner::kOpensControl;
constexpr unsigned kBraceIsExpression = ModernScanner::kBraceIsExpression;
constexpr unsigned kLineSensitive = ModernScanner::kLineSensitive;
constexpr unsigned kFor = ModernScanner::kAfterFor;

// A comparison with a literal of known length, which compiles to a few loads.
template <std::size_t N>
[[gnu::always_inline]] inline bool is(std::string_view word, const char (&literal)[N]) {
  return word.size() == N - 1 && std::memcmp(word.data(), literal, N - 1) == 0;
}

// For each first byte, the lengths (as bits) of the words above that begin with it: most words
// are told apart from all of them by one load.
constexpr std::array<std::uint16_t, 256> kWordLengthsByFirst = [] {
  std::array<std::uint16_t, 256> lengths{};
  for (std::string_view word : {"await", "async", "break", "case", "continue", "do", "delete", "default", "debugger",
                                "else", "extends", "for", "get", "if", "in", "instanceof", "let", "new", "of",
                                "return", "set", "static", "typeof", "throw", "void", "while", "with", "yield"}) {
    lengths[static_cast<unsigned char>(word[0])] |= static_cast<std::uint16_t>(1u << word.size());
  }
  return lengths;
}();

unsigned wordTraitsOfCandidate(std::string_view w);

// Set in a map entry's mark once the word's traits are kept in its other bits.
constexpr std::uint8_t kWordTraitsKnown = 0x80;
static_assert((ModernScanner::kAfterDot | ModernScanner::kOpensControl | ModernScanner::kBraceIsExpression |
               ModernScanner::kLineSensitive | ModernScanner::kAfterFor | ModernScanner::kRegexAllowed) < kWordTraitsKnown);

[[gnu::always_inline]] inline unsigned wordTraits(std::string_view w) {
  if (w.size() > 15 || ((kWordLengthsByFirst[static_cast<unsigned char>(w[0])] >> w.size()) & 1) == 0) return 0;
  return wordTraitsOfCandidate(w);
}

unsigned wordTraitsOfCandidate(std::string_view w) {
  constexpr unsigned kExpressionStart = kRegexAfter | kBraceIsExpression;
  switch (w[0]) {
    case 'a':
      if (is(w, "await")) return kExpressionStart;
      if (is(w, "async")) return kLineSensitive;
      return 0;
    case 'b':
      return is(w, "break") ? kRegexAfter | kLineSensitive : 0;
    case 'c':
      if (is(w, "case")) return kExpressionStart;
      if (is(w, "continue")) return kRegexAfter | kLineSensitive;
      return 0;
    case 'd':
      if (is(w, "do")) return kRegexAfter;
      if (is(w, "delete") || is(w, "default")) return kExpressionStart;
      if (is(w, "debugger")) return kRegexAfter;
      return 0;
    case 'e':
      if (is(w, "else")) return kRegexAfter;
      if (is(w, "extends")) return kRegexAfter;
      return 0;
    case 'f':
      return is(w, "for") ? kOpensControl | kFor : 0;
    case 'g':
      return is(w, "get") ? kLineSensitive : 0;
    case 'i':
      if (is(w, "if")) return kOpensControl;
      if (is(w, "in") || is(w, "instanceof")) return kExpressionStart;
      return 0;
    case 'l':
      return is(w, "let") ? kLineSensitive : 0;
    case 'n':
      return is(w, "new") ? kExpressionStart : 0;
    case 'o':
      return is(w, "of") ? kExpressionStart : 0;
    case 'r':
      return is(w, "return") ? kExpressionStart | kLineSensitive : 0;
    case 's':
      if (is(w, "set") || is(w, "static")) return kLineSensitive;
      return 0;
    case 't':
      if (is(w, "typeof")) return kExpressionStart;
      if (is(w, "throw")) return kExpressionStart | kLineSensitive;
      return 0;
    case 'v':
      return is(w, "void") ? kExpressionStart : 0;
    case 'w':
      return is(w, "while") || is(w, "with") ? kOpensControl : 0;
    case 'y':
      return is(w, "yield") ? kExpressionStart | kLineSensitive : 0;
    default:
      return 0;
  }
}

// The context after [ ] ; , : ~, by byte: after ] a slash divides; after ; and : a brace opens a
// block.
constexpr std::array<std::uint8_t, 256> kContextAfterLonePunctuator = [] {
  std::array<std::uint8_t, 256> context{};
  for (char b : std::string_view("[,~")) context[static_cast<unsigned char>(b)] = kRegexAfter | kBraceIsExpression;
  for (char b : std::string_view(";:")) context[static_cast<unsigned char>(b)] = kRegexAfter;
  return context;
}();

// Byte tables of the copying modes: what ends a run of plain bytes.
constexpr CharacterClass kRegexStops = detail::makeClass("/\\[\n\r\xE2");
constexpr CharacterClass kRegexClassStops = detail::makeClass("]\\\n\r\xE2");

}  // namespace

namespace {

// Bytes that a string naming an identifier may hold: identifier characters, and what their
// escapes are written with (\u{...}).
constexpr CharacterClass kNameOrEscapeBytes = [] {
  CharacterClass bytes = kAsciiIdentifierChars;
  for (int b = 0x80; b < 256; ++b) bytes[b] = true;
  bytes['\\'] = bytes['{'] = bytes['}'] = true;
  return bytes;
}();

}  // namespace

// Holds a string's text only while it may still name an identifier: a long text of anything else
// costs no memory.
void ModernScanner::collectLiteral(std::string_view bytes) {
  if (!literalMayName) return;
  for (unsigned char b : bytes) {
    if (!kNameOrEscapeBytes[b]) {
      literalMayName = false;
      literalText.clear();
      return;
    }
  }
  literalText.append(bytes);
}

// A literal read in one run, the common case, is handed on from where it is, and the sink alone
// judges it; one held in parts was judged as it was held.
void ModernScanner::endLiteral(std::string_view run) {
  if (!literalText.empty()) collectLiteral(run);
  if (literalMayName) strings.onString(strings.context, literalText.empty() ? run : literalText);
}

// An identifier written without escapes, named by the genericizer: the common case, kept inline.
// A null view when no name was left.
[[gnu::always_inline]] inline std::string_view ModernScanner::genericNameOf(std::string_view raw,
                                                                            const TextMap::Entry*& entry,
                                                                            bool readableAhead) {
  entry = readableAhead ? genericizeIdentifierReadingAhead(*genericizer, raw) : genericizeIdentifier(*genericizer, raw);
  if (entry == nullptr) [[unlikely]] {
    stoppedIdentifier.assign(raw);
    return {};
  }
  return entry->value;
}

// Any other identifier is looked up by its decoded text; a kept name is written as the source
// spells it. A null view when no name was left.
std::string_view ModernScanner::textFor(std::string_view raw, bool escaped, const TextMap::Entry*& entry) {
  std::string_view key = raw;
  if (escaped) {
    decodeIdentifier(raw, decoded);
    key = decoded;
  }
  std::string_view text = key;
  if (genericizer != nullptr) {
    entry = genericizeIdentifier(*genericizer, key);
    if (entry == nullptr) {
      stoppedIdentifier.assign(key);
      return {};
    }
    text = entry->value;
  } else if (rewriter.rewrite != nullptr) {
    if (!rewriter.rewrite(rewriter.context, key, &text)) {
      stoppedIdentifier.assign(key);
      return {};
    }
    if (text.data() == nullptr) text = key.substr(0, 0);  // an empty name is still a name
  }
  return escaped && text == key ? raw : text;
}

namespace {

// Stand-ins for the writer and the output in a pass that only reads: every call compiles away.
struct NoWriter {
  void begin(TokenClass, std::string_view) {}
  void beginWord(std::string_view) {}
  void end(TokenClass, std::string_view = {}, bool = false) {}
  void write(TokenClass, std::string_view) {}
  void writeLonePunctuator(char) {}
  void separate(bool) {}
  void endLine(char = '\n') {}
};
struct NoOutput {
  void append(std::string_view) {}
  void append(std::string_view, bool) {}
  void put(char) {}
};

}  // namespace

std::size_t ModernScanner::scanChunk(const unsigned char* begin, const unsigned char* end, bool last, bool& stopped) {
  if (readsOnly) {
    NoWriter noWriter;
    NoOutput noOutput;
    return scanChunkWith<NoWriter, NoOutput, false>(noWriter, noOutput, begin, end, last, stopped);
  }
  // Watched runs (the source map) get a copy of their own, so that the others pay nothing for it.
  if (observer.watches() || observer.onName != nullptr) {
    return scanChunkWith<ModernTokenWriter, OutputBuffer, true>(writer, writer.out, begin, end, last, stopped);
  }
  return scanChunkWith<ModernTokenWriter, OutputBuffer, false>(writer, writer.out, begin, end, last, stopped);
}

template <typename Writer, typename Output, bool kObserved>
std::size_t ModernScanner::scanChunkWith(Writer& writer, Output& out, const unsigned char* const begin,
                                         const unsigned char* const end, bool last, bool& stopped) {
  constexpr bool kWrites = !std::is_same_v<Writer, NoWriter>;
  const unsigned char* p = begin;
  auto bytesOf = [](const unsigned char* from, const unsigned char* to) {
    return std::string_view(reinterpret_cast<const char*>(from), static_cast<std::size_t>(to - from));
  };
  auto markToken = [&](const unsigned char* at, TokenClass cls) {
    if constexpr (kObserved) {
      if (observer.watches()) {
        observer.tell(cls, fileIndex, fileOffset + static_cast<std::uint64_t>(at - begin), out.taken());
      }
    }
  };
  auto markName = [&](std::string_view key, std::string_view text, const TextMap::Entry* entry) {
    if constexpr (kObserved) {
      if (observer.onName != nullptr) observer.onName(observer.context, key, text, entry);
    }
  };
  // Called after every token of code: what the next one may be. `also` holds what else the
  // token says of the next, as bits of `context`.
  auto afterToken = [&](bool slashBeginsRegex, std::uint8_t also = 0) {
    context = static_cast<std::uint8_t>((slashBeginsRegex ? kRegexAllowed : 0) | also);
  };
  auto regexAllowed = [&] { return (context & kRegexAllowed) != 0; };
  auto lineTerminatorSinceToken = [&] { return (context & kLineTerminatorSince) != 0; };
  auto noteLineTerminator = [&](bool lineTerminator) {
    context = static_cast<std::uint8_t>(context | (lineTerminator ? kLineTerminatorSince : 0));
  };
  // A byte that begins no token is copied as a token of its own.
  auto writeStrayByte = [&](const unsigned char* at) {
    markToken(at, TokenClass::kOther);
    writer.write(TokenClass::kOther, bytesOf(at, at + 1));
    afterToken(true);
  };
  // A punctuator written at a length the compiler knows, so that the copy and the writer's record
  // of it take no loop.
  auto writePunctuator = [&](std::string_view text) __attribute__((always_inline)) {
    if constexpr (!kWrites) return;
    switch (text.size()) {
      case 1:
        writer.write(TokenClass::kPunctuator, text.substr(0, 1));
        break;
      case 2:
        writer.write(TokenClass::kPunctuator, text.substr(0, 2));
        break;
      case 3:
        writer.write(TokenClass::kPunctuator, text.substr(0, 3));
        break;
      default:
        writer.write(TokenClass::kPunctuator, text);
        break;
    }
  };
  // A line terminator (LF, CR, LS, PS) in the copying modes: how long it is at p, 0 if none,
  // -1 if more bytes are needed to tell.
  auto lineTerminatorAt = [&](const unsigned char* at) -> int {
    if (*at == '\n' || *at == '\r') return 1;
    if (*at != 0xE2) return 0;
    if (end - at < 3) return last ? 0 : -1;
    return at[1] == 0x80 && (at[2] == 0xA8 || at[2] == 0xA9) ? 3 : 0;
  };

  while (p < end) {
    switch (mode) {
      case ModernMode::kCode:
        // Stays here for as long as the tokens are code.
        do {
          const unsigned char byte = *p;
          const CodeByte kind = kCodeBytes[byte];
          std::uint8_t contextAfter;  // of a lone punctuator
          switch (kind) {
            case CodeByte::kLineTerminator:
              // A line break and the indentation after it.
              p = skipWhitespace(p + 1, end);
              writer.separate(true);
              noteLineTerminator(true);
              continue;
            case CodeByte::kWhitespace: {
              // Reading only, no separator is owed: a blank is passed alone, and a line break
              // after it is noted by its own case.
              if constexpr (!kWrites) {
                ++p;
                continue;
              }
              // Mostly a single space; a longer run may still hold a line break.
              const unsigned char* run = ++p;
              if (p < end && whitespaceChars[*p]) [[unlikely]] {
                p = skipWhitespace(p, end);
                bool lineTerminator = false;
                for (; run < p; ++run) lineTerminator |= *run == '\n' || *run == '\r';
                writer.separate(lineTerminator);
                noteLineTerminator(lineTerminator);
                continue;
              }
              writer.separate(false);
              continue;
            }
            case CodeByte::kNonAscii: {
              bool lineTerminator;
              const int space = unicodeSpaceAt(p, end, last, lineTerminator);
              if (space < 0) return static_cast<std::size_t>(p - begin);
              if (space > 0) {
                p += space;
                writer.separate(lineTerminator);
                noteLineTerminator(lineTerminator);
                continue;
              }
              goto word;
            }
            case CodeByte::kBackslash:
              if (end - p < 2 && !last) return static_cast<std::size_t>(p - begin);
              if (end - p < 2 || p[1] != 'u') {
                writeStrayByte(p);
                ++p;
                continue;
              }
              goto word;
            case CodeByte::kIdentifierStart:
            word: {
              bool escaped = false;
              const unsigned char* wordEnd = identifierEnd(p, end, last, escaped);
              if (wordEnd == nullptr) [[unlikely]] return static_cast<std::size_t>(p - begin);
              const std::string_view raw = bytesOf(p, wordEnd);
              const TextMap::Entry* entry = nullptr;
              std::string_view text = raw;
              if constexpr (kWrites) {
                text = genericizer != nullptr && !escaped ? genericNameOf(raw, entry, end - p >= 16) : textFor(raw, escaped, entry);
                if (text.data() == nullptr) [[unlikely]] {
                  stopped = true;
                  return static_cast<std::size_t>(p - begin);
                }
              }
              unsigned traits = 0;
              if (!escaped && (context & kAfterDot) == 0) {
                // Known from the genericizer's entry after the word's first time.
                if (entry == nullptr) {
                  traits = wordTraits(raw);
                } else if ((entry->mark & kWordTraitsKnown) != 0) {
                  traits = entry->mark & ~kWordTraitsKnown;
                } else {
                  traits = wordTraits(raw);
                  entry->mark = static_cast<std::uint8_t>(traits | kWordTraitsKnown);
                }
              }
              markToken(p, TokenClass::kWord);
              markName(escaped ? std::string_view(decoded) : raw, text, entry);
              writer.beginWord(text);
              // A name the genericizer's map holds may be read 16 bytes at a time.
              out.append(text, entry != nullptr && text.data() == entry->value.data());
              writer.end(TokenClass::kWord, {}, (traits & kLineSensitive) != 0);
              // for await ( opens a loop head like for (.
              const bool awaitAfterFor = (context & kAfterFor) != 0 && traits != 0 && raw == "await";
              context = static_cast<std::uint8_t>(traits | (awaitAfterFor ? kOpensControl : 0));
              p = wordEnd;
              continue;
            }
            case CodeByte::kDigit:
            number: {
              const unsigned char* numEnd = numberEnd(p, end, last);
              if (numEnd == nullptr) [[unlikely]] return static_cast<std::size_t>(p - begin);
              markToken(p, TokenClass::kNumber);
              const std::string_view text = bytesOf(p, numEnd);
              writer.begin(TokenClass::kNumber, text);
              out.append(text, end - p >= 16);
              writer.end(TokenClass::kNumber, text);
              afterToken(false);
              p = numEnd;
              continue;
            }
            case CodeByte::kQuote: {
              markToken(p, TokenClass::kString);
              writer.begin(TokenClass::kString, bytesOf(p, p + 1));
              // A string that closes in these bytes without an escape or a line break, the common
              // case, is written whole from where it stands.
              const unsigned char* close = findAnyOf(p + 1, end, byte, '\\', '\n', '\r');
              if (close != end && *close == byte) {
                out.append(bytesOf(p, close + 1), end - p >= 16);
                if (close != p + 1) stringEndsInCrContinuation = false;
                if (strings.onString != nullptr) {
                  literalText.clear();
                  literalMayName = true;
                  endLiteral(bytesOf(p + 1, close));
                }
                writer.end(TokenClass::kString);
                afterToken(false);
                p = close + 1;
                continue;
              }
              out.put(static_cast<char>(byte));
              quote = static_cast<char>(byte);
              mode = ModernMode::kString;
              literalText.clear();
              literalMayName = true;
              ++p;
              goto leftCode;
            }
            case CodeByte::kBackquote:
              markToken(p, TokenClass::kTemplate);
              writer.begin(TokenClass::kTemplate, "`");
              out.put('`');
              mode = ModernMode::kTemplate;
              literalText.clear();
              literalMayName = true;
              templateIsWhole = true;
              ++p;
              goto leftCode;
            case CodeByte::kHash:
              if (fileOffset + static_cast<std::uint64_t>(p - begin) == 0) {
                if (end - p < 2 && !last) return 0;
                if (end - p >= 2 && p[1] == '!') {
                  mode = firstFile ? ModernMode::kHashbangLine : ModernMode::kLineComment;
                  if (firstFile) {
                    markToken(p, TokenClass::kNothing);
                    out.append("#!");
                  } else {
                    writer.separate(false);
                  }
                  p += 2;
                  goto leftCode;
                }
              }
              {
                if (end - p < 3 && !last) return static_cast<std::size_t>(p - begin);
                const unsigned char next = end - p >= 2 ? p[1] : 0;
                const CodeByte nextKind = kCodeBytes[next];
                bool privateName = nextKind == CodeByte::kIdentifierStart || (next == '\\' && end - p >= 3 && p[2] == 'u');
                if (!privateName && nextKind == CodeByte::kNonAscii) {
                  bool lineTerminator;
                  const int space = unicodeSpaceAt(p + 1, end, last, lineTerminator);
                  if (space < 0) return static_cast<std::size_t>(p - begin);
                  privateName = space == 0;
                }
                if (!privateName) {
                  writeStrayByte(p);
                  ++p;
                  continue;
                }
                bool escaped = false;
                const unsigned char* wordEnd = identifierEnd(p + 1, end, last, escaped);
                if (wordEnd == nullptr) return static_cast<std::size_t>(p - begin);
                const TextMap::Entry* entry = nullptr;
                std::string_view text = bytesOf(p + 1, wordEnd);
                if constexpr (kWrites) {
                  text = textFor(text, escaped, entry);
                  if (text.data() == nullptr) {
                    stopped = true;
                    return static_cast<std::size_t>(p - begin);
                  }
                }
                markToken(p, TokenClass::kWord);
                markName(escaped ? std::string_view(decoded) : bytesOf(p + 1, wordEnd), text, entry);
                writer.begin(TokenClass::kWord, "#");
                out.put('#');
                out.append(text);
                writer.end(TokenClass::kWord);
                afterToken(false);
                p = wordEnd;
                continue;
              }
            case CodeByte::kSlash: {
              if (end - p < 2 && !last) return static_cast<std::size_t>(p - begin);
              const unsigned char next = end - p >= 2 ? p[1] : 0;
              if (next == '/') {
                writer.separate(false);
                // Most line comments end at an LF or a CR in these bytes, which the code after
                // them reads; the rest, and LS or PS, are left to the comment's own mode.
                p = findAnyOf(p + 2, end, '\n', '\r', 0xE2, 0xE2);
                if (p != end && *p != 0xE2) continue;
                mode = ModernMode::kLineComment;
                goto leftCode;
              }
              if (next == '*') {
                mode = ModernMode::kBlockComment;
                writer.separate(false);
                p += 2;
                goto leftCode;
              }
              markToken(p, regexAllowed() ? TokenClass::kRegex : TokenClass::kPunctuator);
              if (regexAllowed()) {
                writer.begin(TokenClass::kRegex, "/");
                out.put('/');
                mode = ModernMode::kRegex;
                ++p;
                goto leftCode;
              }
              if (next == '=') {
                writer.write(TokenClass::kPunctuator, "/=");
                p += 2;
              } else {
                writer.write(TokenClass::kPunctuator, "/");
                ++p;
              }
              afterToken(true, kBraceIsExpression);
              continue;
            }
            // Punctuators that no byte after them can lengthen; each bracket has a case of its own,
            // and all of them share the writing at lonePunctuator.
            case CodeByte::kOpenParenthesis:
              brackets.push_back((context & kOpensControl) != 0 ? OpenBracket::kControlParenthesis
                                                                : OpenBracket::kParenthesis);
              contextAfter = kRegexAllowed | kBraceIsExpression;
              goto lonePunctuator;
            case CodeByte::kCloseParenthesis:
              contextAfter = 0;
              if (!brackets.empty() && (brackets.back() == OpenBracket::kParenthesis ||
                                        brackets.back() == OpenBracket::kControlParenthesis)) {
                contextAfter = brackets.back() == OpenBracket::kControlParenthesis ? kRegexAllowed : 0;
                brackets.pop_back();
              } else if (brackets.empty()) [[unlikely]] {
                closedBeforeStart(OpenBracket::kParenthesis);
              }
              goto lonePunctuator;
            case CodeByte::kOpenBrace:
              // After return or yield and a line break, the statement has ended: a block.
              brackets.push_back((context & kBraceIsExpression) != 0 &&
                                         !(lineTerminatorSinceToken() && (context & kLineSensitive) != 0)
                                     ? OpenBracket::kExpressionBrace
                                     : OpenBracket::kBlockBrace);
              contextAfter = kRegexAllowed;
              goto lonePunctuator;
            case CodeByte::kCloseBrace:
              if (!brackets.empty() && brackets.back() == OpenBracket::kSubstitution) [[unlikely]] {
                // The substitution ends; the template's text goes on.
                markToken(p, TokenClass::kTemplate);
                templateIsWhole = false;
                brackets.pop_back();
                writer.begin(TokenClass::kTemplate, "}");
                out.put('}');
                mode = ModernMode::kTemplate;
                ++p;
                goto leftCode;
              }
              contextAfter = kRegexAllowed;
              if (!brackets.empty() && (brackets.back() == OpenBracket::kBlockBrace ||
                                        brackets.back() == OpenBracket::kExpressionBrace)) {
                contextAfter = brackets.back() == OpenBracket::kBlockBrace ? kRegexAllowed : 0;
                brackets.pop_back();
              } else if (brackets.empty()) [[unlikely]] {
                closedBeforeStart(OpenBracket::kBlockBrace);
              }
              goto lonePunctuator;
            case CodeByte::kLonePunctuator:  // [ ] ; , : ~
              contextAfter = kContextAfterLonePunctuator[byte];
            lonePunctuator:
              markToken(p, TokenClass::kPunctuator);
              writer.writeLonePunctuator(static_cast<char>(byte));
              context = contextAfter;
              ++p;
              continue;
            case CodeByte::kDot:
              if (end - p < 4 && !last) return static_cast<std::size_t>(p - begin);
              if (end - p >= 2 && digitChars[p[1]]) goto number;
              if (end - p >= 2 && p[1] != '.') {
                // A property access, the commonest punctuator: a word after it is a property name.
                markToken(p, TokenClass::kPunctuator);
                writer.write(TokenClass::kPunctuator, ".");  // a literal: the writer's checks fold away
                context = kRegexAllowed | kAfterDot | kBraceIsExpression;
                ++p;
                continue;
              }
              [[fallthrough]];
            case CodeByte::kPunctuator: {
              if (end - p < 4 && !last) [[unlikely]] return static_cast<std::size_t>(p - begin);
              // HTML-like comments of scripts: <!-- anywhere, --> first on a line.
              if (byte == '<' && end - p >= 4 && p[1] == '!' && p[2] == '-' && p[3] == '-') [[unlikely]] {
                mode = ModernMode::kLineComment;
                writer.separate(false);
                p += 4;
                goto leftCode;
              }
              if (byte == '-' && lineTerminatorSinceToken() && end - p >= 3 && p[1] == '-' && p[2] == '>') [[unlikely]] {
                mode = ModernMode::kLineComment;
                writer.separate(false);
                p += 3;
                goto leftCode;
              }
              const std::size_t size = punctuatorLength(p, end);
              const std::string_view text = bytesOf(p, p + size);
              markToken(p, TokenClass::kPunctuator);
              bool slashBeginsRegex = true;
              // Postfix ++ or -- after an operand on the same line, else prefix; an object literal
              // begins only where an operand may, so not after postfix ones, nor after =>.
              if ((byte == '+' || byte == '-') && size == 2 && text[1] == byte) {
                slashBeginsRegex = regexAllowed() || lineTerminatorSinceToken();
              }
              const bool braceIsExpression = !(byte == '=' && text == "=>");
              writePunctuator(text);
              const bool dot = (byte == '.' && size == 1) || (byte == '?' && size == 2 && p[1] == '.');  // . or ?.
              afterToken(slashBeginsRegex, static_cast<std::uint8_t>((dot ? kAfterDot : 0) |
                                                                     (braceIsExpression && slashBeginsRegex ? kBraceIsExpression : 0)));
              p += size;
              continue;
            }
            case CodeByte::kOther:
              writeStrayByte(p);
              ++p;
              continue;
            default:
              __builtin_unreachable();  // kCodeBytes holds no other kind: no range check per byte
          }
        } while (p < end);
      leftCode:
        continue;

      case ModernMode::kString: {
        const auto q = static_cast<unsigned char>(quote);
        const unsigned char* stop = findAnyOf(p, end, q, '\\', '\n', '\r');
        out.append(bytesOf(p, stop));
        // A run that ends the literal is handed on from where it is; only one that does not is held.
        const std::string_view run = bytesOf(p, stop);
        if (stop != p) stringEndsInCrContinuation = false;
        p = stop;
        if (p == end) {
          holdLiteral(run);
          continue;
        }
        if (*p == '\\') {
          holdLiteral(run);
          // An escape, or a line continuation (\ CR LF included).
          if (end - p < 3 && !last) return static_cast<std::size_t>(p - begin);
          std::size_t size = end - p >= 2 ? 2 : 1;
          if (size == 2 && p[1] == '\r' && end - p >= 3 && p[2] == '\n') size = 3;
          // A backslash last in the file escapes nothing: doubled, it cannot escape what follows.
          out.append(size == 1 ? std::string_view("\\\\") : bytesOf(p, p + size));
          if (strings.onString != nullptr) collectLiteral(bytesOf(p, p + size));
          stringEndsInCrContinuation = size == 2 && p[1] == '\r';
          p += size;
          continue;
        }
        mode = ModernMode::kCode;
        if (strings.onString != nullptr) endLiteral(run);
        if (*p == q) {
          out.put(quote);
          ++p;
          writer.end(TokenClass::kString);
        } else {
          // A line break before the closing quote ends the string where it is, in the output too.
          writer.end(TokenClass::kString);
          endUnterminatedString();
        }
        afterToken(false);
        continue;
      }

      case ModernMode::kTemplate: {
        const unsigned char* stop = findAnyOf(p, end, '`', '\\', '$', '$');
        out.append(bytesOf(p, stop));
        const std::string_view run = bytesOf(p, stop);
        p = stop;
        // The closing backquote needs no byte after it.
        if (p != end && *p == '`') {
          out.put('`');
          ++p;
          mode = ModernMode::kCode;
          if (templateIsWhole && strings.onString != nullptr) endLiteral(run);
          writer.end(TokenClass::kTemplate);
          afterToken(false);
          continue;
        }
        holdLiteral(run);
        if (p == end) continue;
        if (end - p < 2 && !last) return static_cast<std::size_t>(p - begin);
        if (*p == '\\') {
          const std::size_t size = end - p >= 2 ? 2 : 1;
          out.append(size == 1 ? std::string_view("\\\\") : bytesOf(p, p + size));
          if (strings.onString != nullptr) collectLiteral(bytesOf(p, p + size));
          p += size;
        } else if (end - p >= 2 && p[1] == '{') {
          out.append("${");
          templateIsWhole = false;
          p += 2;
          brackets.push_back(OpenBracket::kSubstitution);
          mode = ModernMode::kCode;
          writer.end(TokenClass::kTemplateOpen);
          afterToken(true, kBraceIsExpression);
        } else {
          out.put('$');
          if (strings.onString != nullptr) collectLiteral("$");
          ++p;
        }
        continue;
      }

      case ModernMode::kRegex:
      case ModernMode::kRegexClass: {
        const CharacterClass& stops = mode == ModernMode::kRegex ? kRegexStops : kRegexClassStops;
        const unsigned char* stop = p;
        while (stop < end && !stops[*stop]) ++stop;
        out.append(bytesOf(p, stop));
        p = stop;
        if (p == end) continue;
        const int lineTerminator = lineTerminatorAt(p);
        if (lineTerminator < 0) return static_cast<std::size_t>(p - begin);
        if (lineTerminator > 0) {
          // A line break ends an unterminated regular expression where it is, in the output too.
          mode = ModernMode::kCode;
          writer.end(TokenClass::kRegex);
          writer.endLine();
          afterToken(false);
          continue;
        }
        if (*p == '\\') {
          if (end - p < 2 && !last) return static_cast<std::size_t>(p - begin);
          // The escaped byte is copied, unless it is a line terminator.
          if (end - p >= 2 && p[1] != '\n' && p[1] != '\r' && (p[1] != 0xE2 || lineTerminatorAt(p + 1) == 0)) {
            if (p[1] == 0xE2 && lineTerminatorAt(p + 1) < 0) return static_cast<std::size_t>(p - begin);
            out.append(bytesOf(p, p + 2));
            p += 2;
          } else {
            out.put('\\');
            ++p;
          }
        } else if (*p == '[') {
          out.put('[');
          ++p;
          mode = ModernMode::kRegexClass;
        } else if (*p == ']') {
          out.put(']');
          ++p;
          mode = ModernMode::kRegex;
        } else if (*p == '/') {
          out.put('/');
          ++p;
          mode = ModernMode::kRegexFlags;
        } else {
          out.put(static_cast<char>(*p));  // a byte of UTF-8 that is no line terminator
          ++p;
        }
        continue;
      }

      case ModernMode::kRegexFlags: {
        bool escaped = false;
        const unsigned char* flagsEnd = identifierEnd(p, end, last, escaped);
        if (flagsEnd == nullptr) {
          // Flags are copied as they come; only the unfinished end waits.
          const unsigned char* plain = skipIdentifierChars(p, end);
          out.append(bytesOf(p, plain));
          return static_cast<std::size_t>(plain - begin);
        }
        out.append(bytesOf(p, flagsEnd));
        mode = ModernMode::kCode;
        writer.end(TokenClass::kRegex, bytesOf(p, flagsEnd));
        p = flagsEnd;
        afterToken(false);
        continue;
      }

      case ModernMode::kHashbangLine:
      case ModernMode::kLineComment: {
        const unsigned char* stop = findAnyOf(p, end, '\n', '\r', 0xE2, 0xE2);
        if (mode == ModernMode::kHashbangLine) out.append(bytesOf(p, stop));
        p = stop;
        if (p == end) continue;
        const int lineTerminator = lineTerminatorAt(p);
        if (lineTerminator < 0) return static_cast<std::size_t>(p - begin);
        if (lineTerminator == 0) {
          if (mode == ModernMode::kHashbangLine) out.put(static_cast<char>(*p));
          ++p;
          continue;
        }
        // The line terminator itself is left to the code that follows.
        if (mode == ModernMode::kHashbangLine) writer.endLine();
        mode = ModernMode::kCode;
        continue;
      }

      case ModernMode::kBlockComment: {
        // Only its end matters, and whether it holds a line break; once one is seen, only the end.
        if (lineTerminatorSinceToken()) {
          if (const unsigned char* after = blockCommentEnd(p, end)) {
            p = after;
            mode = ModernMode::kCode;
            continue;
          }
          // A star last in the bytes may end the comment with the next ones.
          if (!last && end[-1] == '*') return static_cast<std::size_t>(end - 1 - begin);
          p = end;
          continue;
        }
        for (;;) {
          const unsigned char* stop = findAnyOf(p, end, '*', '\n', '\r', 0xE2);
          p = stop;
          if (p == end) break;
          if (*p == '*') {
            if (end - p < 2 && !last) return static_cast<std::size_t>(p - begin);
            if (end - p >= 2 && p[1] == '/') {
              p += 2;
              mode = ModernMode::kCode;
              break;
            }
            ++p;
            continue;
          }
          const int lineTerminator = lineTerminatorAt(p);
          if (lineTerminator < 0) return static_cast<std::size_t>(p - begin);
          if (lineTerminator > 0) {
            writer.separate(true);
            noteLineTerminator(true);
            p += lineTerminator;
            break;  // only the end matters now
          }
          ++p;
        }
        continue;
      }
      default:
        __builtin_unreachable();  // mode holds no other value: no range check per step
    }
  }
  return static_cast<std::size_t>(p - begin);
}

bool ModernScanner::scan(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  bool stopped = false;
  // An unfinished token from the last bytes is scanned again with as many new bytes as it needs.
  while (!carry.empty()) {
    if (p == end) return true;
    const std::size_t held = carry.size();
    const std::size_t take = std::min<std::size_t>(std::max<std::size_t>(held, 64), static_cast<std::size_t>(end - p));
    carry.append(reinterpret_cast<const char*>(p), take);
    const auto* chunk = reinterpret_cast<const unsigned char*>(carry.data());
    const std::size_t used = scanChunk(chunk, chunk + carry.size(), false, stopped);
    fileOffset += used;
    if (stopped) return false;
    if (used >= held) {
      p += used - held;
      carry.clear();
      break;
    }
    carry.erase(0, used);
    p += take;
  }
  const std::size_t used = scanChunk(p, end, false, stopped);
  fileOffset += used;
  if (stopped) return false;
  carry.assign(reinterpret_cast<const char*>(p + used), static_cast<std::size_t>(end - (p + used)));
  return true;
}

bool ModernScanner::endOfFile() {
  bool stopped = false;
  if (!carry.empty()) {
    const auto* chunk = reinterpret_cast<const unsigned char*>(carry.data());
    fileOffset += scanChunk(chunk, chunk + carry.size(), true, stopped);
    carry.clear();
    if (stopped) return false;
  }
  OutputBuffer& out = writer.out;
  // Whatever the file left open is ended here, so that the next file starts clean.
  const ModernMode openMode = mode;
  mode = ModernMode::kCode;
  switch (openMode) {
    case ModernMode::kCode:
    case ModernMode::kLineComment:
    case ModernMode::kBlockComment:
      return closeSubstitutions();
    case ModernMode::kHashbangLine:
      writer.endLine();
      return true;
    case ModernMode::kString:
      if (strings.onString != nullptr && literalMayName) strings.onString(strings.context, literalText);
      writer.end(TokenClass::kString);
      endUnterminatedString();
      break;
    case ModernMode::kRegex:
    case ModernMode::kRegexClass:
      writer.end(TokenClass::kRegex);
      writer.endLine();
      break;
    case ModernMode::kRegexFlags:
      writer.end(TokenClass::kRegex);
      break;
    case ModernMode::kTemplate:
      if (templateIsWhole && strings.onString != nullptr && literalMayName) strings.onString(strings.context, literalText);
      out.put('`');
      writer.end(TokenClass::kTemplate);
      break;
  }
  context &= kLineTerminatorSince;  // a slash now divides
  return closeSubstitutions();
}

void ModernScanner::endUnterminatedString() {
  // A line break ends it, as it would be read again: after a backslash and a CR, which read as
  // one line continuation with a following LF, the break is a second CR.
  writer.endLine(stringEndsInCrContinuation ? '\r' : '\n');
  stringEndsInCrContinuation = false;
}

bool ModernScanner::closeSubstitutions() {
  // A template substitution still open is closed, with every bracket opened inside it, so that
  // the next file is not read as template text. Brackets opened outside any substitution stay
  // open: a wrapper may begin in one file and end in another.
  std::size_t outermost = brackets.size();
  for (std::size_t i = 0; i < brackets.size(); ++i) {
    if (brackets[i] == OpenBracket::kSubstitution) {
      outermost = i;
      break;
    }
  }
  OutputBuffer& out = writer.out;
  while (brackets.size() > outermost) {
    const OpenBracket open = brackets.back();
    brackets.pop_back();
    const bool substitution = open == OpenBracket::kSubstitution;
    const TokenClass cls = substitution ? TokenClass::kTemplate : TokenClass::kPunctuator;
    const std::string_view text = substitution ? "}`"
                                  : open == OpenBracket::kParenthesis || open == OpenBracket::kControlParenthesis ? ")"
                                                                                                                  : "}";
    if (observer.watches()) observer.tell(cls, fileIndex, fileOffset, out.taken());
    writer.begin(cls, text.substr(0, 1));
    out.append(text);
    writer.end(cls, substitution ? std::string_view{} : text);
    context = static_cast<std::uint8_t>(
        (context & kLineTerminatorSince) |
        (open == OpenBracket::kControlParenthesis || open == OpenBracket::kBlockBrace ? kRegexAllowed : 0));
  }
  return true;
}

void ModernScanner::startInside(std::uint32_t file, std::uint64_t offset, std::uint8_t guessedContext) {
  guessedStart = std::make_unique<GuessedStart>();
  guessedStart->fileIndex = file;
  guessedStart->fileOffset = offset;
  guessedStart->context = guessedContext;
  mode = ModernMode::kCode;
  context = guessedContext;
  firstFile = file == 0;
  fileIndex = file;
  fileOffset = offset;
}

void ModernScanner::closedBeforeStart(OpenBracket taken) {
  // With no bracket open, a closing one changes nothing but the context, as if it closed a
  // bracket of the kind that gives that context.
  if (!guessedStart) return;
  if (guessedStart->closedBefore.size() == kMostClosedBefore) {
    guessedStart->tooManyClosed = true;
    return;
  }
  guessedStart->closedBefore.push_back(taken);
}

bool ModernScanner::leadsInto(const ModernScanner& later) const {
  const GuessedStart* start = later.guessedStart.get();
  if (start == nullptr || start->tooManyClosed) return false;
  if (mode != ModernMode::kCode || !carry.empty() || context != start->context || fileIndex != start->fileIndex ||
      fileOffset != start->fileOffset) {
    return false;
  }
  // At the end of a file a substitution still open is closed with what it holds, which the
  // later scan could not know of.
  for (const OpenBracket open : brackets) {
    if (open == OpenBracket::kSubstitution) return false;
  }
  // Each bracket the later scan closed without knowing it is the next one down from the top,
  // and must be of the kind it took; once none is left, this scan would have found none either.
  const std::size_t depth = brackets.size();
  for (std::size_t k = 0; k < start->closedBefore.size() && k < depth; ++k) {
    if (brackets[depth - 1 - k] != start->closedBefore[k]) return false;
  }
  return true;
}

void ModernScanner::takeOver(ModernScanner& later) {
  const std::size_t closed = std::min(brackets.size(), later.guessedStart->closedBefore.size());
  brackets.resize(brackets.size() - closed);
  brackets.insert(brackets.end(), later.brackets.begin(), later.brackets.end());
  mode = later.mode;
  quote = later.quote;
  stringEndsInCrContinuation = later.stringEndsInCrContinuation;
  context = later.context;
  firstFile = later.firstFile;
  fileIndex = later.fileIndex;
  fileOffset = later.fileOffset;
  literalText.swap(later.literalText);
  templateIsWhole = later.templateIsWhole;
  literalMayName = later.literalMayName;
  carry.swap(later.carry);
}

void ModernScanner::crossFileBoundary() {
  // The output is one program: the next file follows the last as if after a line break.
  writer.separate(true);
  context |= kLineTerminatorSince;
  firstFile = false;
  ++fileIndex;
  fileOffset = 0;
}

}  // namespace qvmin
