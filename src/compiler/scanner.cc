#include "compiler/scanner.h"

#include <array>
#include <cstring>

#include "compiler/block_masks.h"
#include "compiler/byte_skips.h"
#include "compiler/token_writer.h"
#include "tables/character_classes.h"

namespace qvmin {
namespace {

// How a byte starts something between tokens, in the order the classes are tested.
enum class ByteKind : std::uint8_t { kDigit, kSlash, kOperator, kApostrophe, kQuote, kIdentifierStart, kWhitespace, kOther };

constexpr std::array<ByteKind, 256> makeByteKinds() {
  std::array<ByteKind, 256> kinds{};
  for (int b = 0; b < 256; ++b) {
    ByteKind kind = ByteKind::kOther;
    if (digitChars[b]) {
      kind = ByteKind::kDigit;
    } else if (b == '/') {
      kind = ByteKind::kSlash;
    } else if (operatorChars[b]) {
      kind = ByteKind::kOperator;
    } else if (b == '\'') {
      kind = ByteKind::kApostrophe;
    } else if (b == '"') {
      kind = ByteKind::kQuote;
    } else if (identifierStartChars[b]) {
      kind = ByteKind::kIdentifierStart;
    } else if (whitespaceChars[b]) {
      kind = ByteKind::kWhitespace;
    }
    kinds[b] = kind;
  }
  return kinds;
}

constexpr std::array<ByteKind, 256> kByteKinds = makeByteKinds();

// The bytes a 64-byte stretch may begin with: identifier starts, operator characters other than
// the slash, white space.
constexpr std::array<bool, 256> kStartsStretch = [] {
  std::array<bool, 256> starts{};
  for (int b = 0; b < 256; ++b) {
    const ByteKind kind = kByteKinds[b];
    starts[b] = kind == ByteKind::kIdentifierStart || kind == ByteKind::kOperator || kind == ByteKind::kWhitespace;
  }
  return starts;
}();

// Bytes after a run of decimal digits that may still belong to the number: a hexadecimal
// prefix after a lone zero, or an exponent.
constexpr CharacterClass kNumberContinuations = detail::makeClass("xXeE");

}  // namespace

struct ClassicWriter {
  ClassicWriter(OutputBuffer& buffer, const ClassicSpacing& spacing) : out(buffer), spacing(spacing) {}
  // Gives the scanner back its state, and the buffer its write position.
  void handBack(ClassicSpacing& to) const {
    to = spacing;
    out.handBack();
  }

  void forgetOperators() {
    spacing.lastOperator = 0;
    spacing.operatorBeforeLast = 0;
  }
  [[gnu::always_inline]] void applySpaceRule() {
    if (!spacing.pendingWhitespace) return;
    spacing.pendingWhitespace = false;
    if (spacing.lastTokenWasWord) {
      spacing.lastTokenWasWord = false;
      out.put(' ');
      forgetOperators();
    }
  }
  [[gnu::always_inline]] void writeOperator(char byte) {
    // Anything between the two characters in the source, a dropped byte included, kept them apart.
    if (kMayFuseWithNext[static_cast<unsigned char>(spacing.lastOperator)] &&
        (spacing.pendingWhitespace || spacing.droppedSinceOperator) &&
        wouldFuse(spacing.operatorBeforeLast, spacing.lastOperator, byte)) {
      out.put(' ');
      forgetOperators();
    }
    out.put(byte);
    spacing.operatorBeforeLast = spacing.lastOperator;
    spacing.lastOperator = byte;
    spacing.droppedSinceOperator = false;
  }
  // An operator character that stands as a token of its own.
  [[gnu::always_inline]] void writeOperatorToken(char byte) {
    writeOperator(byte);
    spacing.pendingWhitespace = false;
    spacing.lastTokenWasWord = false;
  }
  // A word or number, spaced already; readableAhead when 16 bytes may be read from its start.
  [[gnu::always_inline]] void writeWord(std::string_view text, bool readableAhead = false) {
    spacing.lastTokenWasWord = true;
    out.append(text, readableAhead);
    forgetOperators();
  }

  OutputCursor out;
  ClassicSpacing spacing;
};

template <bool kObserved>
[[gnu::always_inline]] inline void Scanner::mark(ClassicWriter& w, TokenClass cls, std::uint64_t offset) {
  if constexpr (kObserved) {
    // The observer reads the count of bytes taken, and may read the buffer.
    w.out.handBack();
    observer.tell(cls, fileIndex, offset, out.taken());
    w.out.takeAgain();
  }
}

// Moves past the next `target` byte and into `then`; without one, to the end of the block.
inline const unsigned char* Scanner::skipPast(const unsigned char* p, const unsigned char* end, char target,
                                              ScanMode then) {
  const void* found = std::memchr(p, target, static_cast<std::size_t>(end - p));
  if (found == nullptr) return end;
  mode = then;
  return static_cast<const unsigned char*>(found) + 1;
}

const unsigned char* Scanner::skipBlockComment(const unsigned char* p, const unsigned char* end) {
  if (const unsigned char* after = blockCommentEnd(p, end)) {
    mode = ScanMode::kBetweenTokens;
    return after;
  }
  // A star last in the bytes may end the comment with the next ones.
  mode = end > p && end[-1] == '*' ? ScanMode::kBlockCommentStar : ScanMode::kBlockComment;
  return end;
}

[[gnu::always_inline]] inline void Scanner::endNumber(ClassicWriter& w) {
  mode = ScanMode::kBetweenTokens;
  w.writeWord(token);
  token.clear();
}

template <bool kObserved>
[[gnu::always_inline]] inline bool Scanner::writeIdentifier(ClassicWriter& w, std::string_view identifier,
                                                            bool readableAhead) {
  std::string_view text = identifier;
  const TextMap::Entry* entry = nullptr;
  if (genericizer != nullptr) {
    entry = readableAhead ? genericizeIdentifierReadingAhead(*genericizer, identifier)
                          : genericizeIdentifier(*genericizer, identifier);
    if (entry == nullptr) {
      w.spacing.lastTokenWasWord = true;
      return false;
    }
    text = entry->value;
  } else if (rewriter.rewrite != nullptr && !rewriter.rewrite(rewriter.context, identifier, &text)) {
    w.spacing.lastTokenWasWord = true;
    return false;
  }
  if constexpr (kObserved) {
    if (observer.onName != nullptr) observer.onName(observer.context, identifier, text, entry);
  }
  // A generic name is kept by the map, which lets 16 bytes be read from it; an identifier
  // written as it is stands in the input.
  w.writeWord(text, entry != nullptr || (readableAhead && text.data() == identifier.data()));
  return true;
}

template <bool kObserved>
[[gnu::always_inline]] inline bool Scanner::endIdentifier(ClassicWriter& w) {
  mode = ScanMode::kBetweenTokens;
  if (!writeIdentifier<kObserved>(w, token, false)) return false;
  token.clear();
  return true;
}

[[gnu::always_inline]] inline void Scanner::endString(ClassicWriter& w, char closingQuote) {
  mode = ScanMode::kBetweenTokens;
  w.spacing.lastTokenWasWord = false;
  if (strings.onString != nullptr) strings.onString(strings.context, std::string_view(token).substr(1));
  if (closingQuote != 0) token.push_back(closingQuote);
  w.out.append(token);
  w.forgetOperators();
  token.clear();
}

template <bool kObserved>
[[gnu::always_inline]] inline void Scanner::normalRules(ClassicWriter& w, unsigned char byte, std::uint64_t offset) {
  switch (kByteKinds[byte]) {
    case ByteKind::kDigit:
      mark<kObserved>(w, TokenClass::kNumber, offset);
      w.applySpaceRule();
      mode = ScanMode::kNumber;
      token.push_back(static_cast<char>(byte));
      break;
    case ByteKind::kSlash:
      mode = ScanMode::kPendingSlash;
      break;
    case ByteKind::kOperator:
      mark<kObserved>(w, TokenClass::kPunctuator, offset);
      w.writeOperatorToken(static_cast<char>(byte));
      break;
    case ByteKind::kApostrophe:
    case ByteKind::kQuote:
      mark<kObserved>(w, TokenClass::kString, offset);
      w.spacing.pendingWhitespace = false;
      w.spacing.lastTokenWasWord = false;
      mode = byte == '\'' ? ScanMode::kSingleQuotedString : ScanMode::kDoubleQuotedString;
      token.push_back(static_cast<char>(byte));
      break;
    case ByteKind::kIdentifierStart:
      mark<kObserved>(w, TokenClass::kWord, offset);
      w.applySpaceRule();
      mode = ScanMode::kIdentifier;
      token.push_back(static_cast<char>(byte));
      break;
    case ByteKind::kWhitespace:
      w.spacing.pendingWhitespace = true;
      break;
    case ByteKind::kOther:
      w.spacing.droppedSinceOperator = true;
      break;
  }
}

// Takes, 64 bytes at a time, the stretch from p on that holds nothing but identifiers, operator
// characters other than the slash, and white space, and writes what the token loop would write
// for it, worked out from the bytes' masks rather than token by token. Leaves to the loop what
// needs its rules: any other byte, a number, white space between two operator characters that
// may fuse, an identifier that may go on past the bytes looked at, and the last 80 bytes of the
// block (a stretch reads 16 bytes past its 64). Returns where it stopped; null when an identifier
// got no name (it is then the token).
const unsigned char* Scanner::takeStretch(ClassicWriter& w, const unsigned char* p, const unsigned char* end,
                                          BlockMasksCache& cache) {
  constexpr std::uint64_t kOne = 1;
  constexpr std::uint64_t kAll = ~std::uint64_t{0};
  const bool rewrites = genericizer != nullptr || rewriter.rewrite != nullptr;
  ClassicSpacing& s = w.spacing;
  while (end - p >= 80) {
    // An operator character written last that may fuse with the next one is the loop's to space.
    if (kMayFuseWithNext[static_cast<unsigned char>(s.lastOperator)] &&
        (s.pendingWhitespace || s.droppedSinceOperator || whitespaceChars[*p])) {
      return p;
    }
    // A stretch that begins again less than 48 bytes into the 64 last sorted takes the rest of
    // their masks; the bytes past them are a stop.
    ClassicBlockMasks m;
    unsigned unknown = 0;
    if (cache.at != nullptr && p > cache.at && p - cache.at < 48) {
      unknown = static_cast<unsigned>(p - cache.at);
      m = shiftedMasks(cache.masks, unknown);
    } else {
      m = classicBlockMasks(p);
      cache = {p, m};
    }
    const std::uint64_t identifierStarts = m.identifier & ~(m.identifier << 1);
    std::uint64_t stops = m.other | (identifierStarts & m.digit) | ~(kAll >> unknown);
    // The last identifier, when it reaches the last byte known.
    stops |= ((m.identifier >> (63 - unknown)) & 1) << (63 - __builtin_clzll(identifierStarts | 1));
    // White space after an operator character that may fuse with the one after the white space.
    if (const std::uint64_t afterLead = m.whitespace & (m.fusingLead << 1); afterLead != 0) {
      // (The sum carries each such run's start bit to the byte just past the run.)
      if (((m.whitespace + afterLead) & ~m.whitespace & m.fusingNext) != 0) stops |= afterLead & -afterLead;
    }
    const std::uint64_t window = stops == 0 ? kAll : (stops & -stops) - 1;
    if (window == 0) return p;
    const std::uint64_t identifier = m.identifier & window;
    const std::uint64_t whitespace = m.whitespace & window;
    const std::uint64_t operators = window & ~(m.identifier | m.whitespace);
    const std::uint64_t starts = identifierStarts & window;
    // White space between two words is written as one space, in place of its last byte; white
    // space before the first word follows a word when the last token written was one.
    const std::uint64_t runStarts = whitespace & ~(whitespace << 1);
    const std::uint64_t afterWord = runStarts & ((identifier << 1) | (s.lastTokenWasWord ? 1 : 0));
    const std::uint64_t spaces = ((whitespace + afterWord) & ~whitespace & starts) >> 1;
    // A comment or a file boundary just before, between two words.
    if (s.pendingWhitespace && s.lastTokenWasWord && (starts & 1) != 0) w.out.put(' ');
    if (!rewrites) {
      const std::uint64_t keep = identifier | operators | spaces;
      if ((spaces & ~m.space) == 0) {
        w.out.appendKept(p, keep);
      } else {
        // Some white space kept as a space is not one: a copy of the bytes is changed.
        alignas(16) unsigned char spaced[80];
        for (int at = 0; at < 80; at += 16) std::memcpy(spaced + at, p + at, 16);
        for (std::uint64_t b = spaces & ~m.space; b != 0; b &= b - 1) spaced[__builtin_ctzll(b)] = ' ';
        w.out.appendKept(spaced, keep);
      }
    } else {
      // Between two identifiers: nothing, a space alone, or operator characters, most often in
      // one run. Those are copied 16 bytes at once, with no branch on which they are.
      auto writeBetween = [&](std::uint64_t between) __attribute__((always_inline)) {
        const int first = __builtin_ctzll(between | (kOne << 63));
        const std::uint64_t run = between >> first;
        if ((run & (run + 1)) != 0 || (between & spaces & ~m.space) != 0) [[unlikely]] {
          // Apart, or a space that is another white-space byte.
          if ((between & spaces) != 0) {
            w.out.put(' ');
          } else {
            w.out.appendKept(p, between);
          }
          return;
        }
        const auto size = static_cast<std::size_t>(run == ~std::uint64_t{0} ? 64 : __builtin_ctzll(~run));
        w.out.append(std::string_view(reinterpret_cast<const char*>(p + first), size), true);
      };
      std::uint64_t written = 0;
      for (std::uint64_t left = starts; left != 0; left &= left - 1) {
        const int at = __builtin_ctzll(left);
        writeBetween((operators | spaces) & ((kOne << at) - 1) & ~written);
        const int size = __builtin_ctzll(~(identifier >> at));
        const std::string_view name(reinterpret_cast<const char*>(p + at), static_cast<std::size_t>(size));
        if (!writeIdentifier<false>(w, name, true)) [[unlikely]] {
          token.assign(name);
          return nullptr;
        }
        written = (kOne << (at + size)) - 1;
      }
      writeBetween((operators | spaces) & ~written);
    }
    // The spacing the loop would have left.
    if (operators != 0) s.droppedSinceOperator = false;
    if (const std::uint64_t tokens = identifier | operators; tokens != 0) {
      const int last = 63 - __builtin_clzll(tokens);
      if (((identifier >> last) & 1) != 0) {
        s.lastTokenWasWord = true;
        s.lastOperator = s.operatorBeforeLast = 0;
      } else {
        // An operator character remembers the one before it when nothing but white space came
        // between.
        if (const std::uint64_t earlier = tokens & ((kOne << last) - 1); earlier != 0) {
          const int previous = 63 - __builtin_clzll(earlier);
          s.operatorBeforeLast = ((operators >> previous) & 1) != 0 ? static_cast<char>(p[previous]) : 0;
        } else {
          s.operatorBeforeLast = s.lastOperator;
        }
        s.lastOperator = static_cast<char>(p[last]);
        s.lastTokenWasWord = false;
      }
      s.pendingWhitespace = (whitespace >> last) != 0;
    } else {
      s.pendingWhitespace = true;
    }
    p += window == kAll ? 64 : __builtin_ctzll(~window);
  }
  return p;
}

bool Scanner::scan(std::string_view bytes) {
  const bool scanned = observer.watches() ? scanWith<true>(bytes) : scanWith<false>(bytes);
  fileOffset += bytes.size();
  return scanned;
}

template <bool kObserved>
bool Scanner::scanWith(std::string_view bytes) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* const begin = p;
  const unsigned char* const end = p + bytes.size();
  // Where a byte of this block is in its file; only computed for an observer.
  auto at = [&](const unsigned char* byte) { return fileOffset + static_cast<std::uint64_t>(byte - begin); };
  ClassicWriter w(out, spacing);
  // Read once: the token loop asks at every token whether a stretch may start there.
  const bool stretches = !kObserved && blockMasksActive();
  BlockMasksCache masksCache;
  while (p < end) {
    unsigned char byte = *p;
    switch (mode) {
      case ScanMode::kBetweenTokens:
        // Stay here for as long as bytes end where they begin: whitespace, operators, and words
        // that end inside this block, which are handled in place without being collected.
        do {
          if constexpr (!kObserved) {
            if (stretches && end - p >= 80 && kStartsStretch[*p]) {
              p = takeStretch(w, p, end, masksCache);
              if (p == nullptr) {
                w.handBack(spacing);
                return false;
              }
            }
          }
          byte = *p;
          // Tested by how often they come, most frequent first.
          const ByteKind kind = kByteKinds[byte];
          if (kind == ByteKind::kIdentifierStart) {
            const unsigned char* run = skipIdentifierChars(p + 1, end);
            std::string_view identifier(reinterpret_cast<const char*>(p), static_cast<std::size_t>(run - p));
            mark<kObserved>(w, TokenClass::kWord, at(p));
            w.applySpaceRule();
            if (run == end) [[unlikely]] {
              mode = ScanMode::kIdentifier;
              token.assign(identifier);
              p = run;
              goto nextMode;
            }
            if (!writeIdentifier<kObserved>(w, identifier, end - p >= 16)) [[unlikely]] {
              token.assign(identifier);
              w.handBack(spacing);
              return false;
            }
            p = run;
            // A word is most often followed straight away by an operator character: handle it
            // here, where the branch predictor knows a word came before.
            if (kByteKinds[*p] == ByteKind::kOperator) {
              mark<kObserved>(w, TokenClass::kPunctuator, at(p));
              w.writeOperatorToken(static_cast<char>(*p));
              ++p;
            }
          } else if (kind == ByteKind::kOperator) {
            mark<kObserved>(w, TokenClass::kPunctuator, at(p));
            w.writeOperatorToken(static_cast<char>(byte));
            ++p;
          } else if (kind == ByteKind::kWhitespace) {
            w.spacing.pendingWhitespace = true;
            ++p;
            // Mostly a single space; only indentation and blank lines are worth a wide skip.
            if (p < end && whitespaceChars[*p]) p = skipWhitespace(p + 1, end);
          } else if (kind == ByteKind::kDigit) {
            // A plain decimal number: digits ended by a byte that cannot continue it.
            const unsigned char* run = p + 1;
            while (run < end && digitChars[*run]) ++run;
            if (run < end && !kNumberContinuations[*run]) {
              mark<kObserved>(w, TokenClass::kNumber, at(p));
              w.applySpaceRule();
              w.writeWord(std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(run - p)),
                          end - p >= 16);
              p = run;
            } else {
              normalRules<kObserved>(w, byte, at(p));
              ++p;
              goto nextMode;
            }
          } else if (kind == ByteKind::kApostrophe || kind == ByteKind::kQuote) {
            // A string that closes in this block without an escape is written from where it
            // stands; others are collected.
            const unsigned char* close = skipStringBody(p + 1, end, static_cast<char>(byte));
            if (close == end || *close != byte) {
              normalRules<kObserved>(w, byte, at(p));
              ++p;
              goto nextMode;
            }
            mark<kObserved>(w, TokenClass::kString, at(p));
            w.spacing.pendingWhitespace = false;
            w.spacing.lastTokenWasWord = false;
            if (strings.onString != nullptr) {
              strings.onString(strings.context,
                               std::string_view(reinterpret_cast<const char*>(p + 1), static_cast<std::size_t>(close - p - 1)));
            }
            const std::string_view string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(close + 1 - p));
            w.out.append(string, end - p >= 16);
            w.forgetOperators();
            p = close + 1;
          } else if (kind == ByteKind::kSlash && end - p >= 2 && (p[1] == '/' || p[1] == '*')) {
            // A comment separates like whitespace.
            w.spacing.pendingWhitespace = true;
            if (p[1] == '*') {
              p = skipBlockComment(p + 2, end);
            } else if (const void* newline = std::memchr(p + 2, '\n', static_cast<std::size_t>(end - p - 2))) {
              p = static_cast<const unsigned char*>(newline) + 1;
            } else {
              mode = ScanMode::kLineComment;
              p = end;
            }
            if (mode != ScanMode::kBetweenTokens) goto nextMode;
          } else {
            normalRules<kObserved>(w, byte, at(p));
            ++p;
            if (mode != ScanMode::kBetweenTokens) goto nextMode;
          }
        } while (p < end);
      nextMode:
        continue;

      case ScanMode::kNumber:
        if ((byte == 'x' || byte == 'X') && token.size() == 1 && token[0] == '0') {
          token.push_back(static_cast<char>(byte));
          mode = ScanMode::kHexNumber;
        } else if (digitChars[byte]) {
          token.push_back(static_cast<char>(byte));
        } else if (byte == 'e' || byte == 'E') {
          token.push_back(static_cast<char>(byte));
          mode = ScanMode::kNumberExponentMark;
        } else {
          endNumber(w);
          normalRules<kObserved>(w, byte, at(p));
        }
        ++p;
        continue;

      case ScanMode::kNumberExponentMark:
        if (byte == '+' || byte == '-') {
          token.push_back(static_cast<char>(byte));
          mode = ScanMode::kNumberExponentSign;
        } else if (digitChars[byte]) {
          token.push_back(static_cast<char>(byte));
          mode = ScanMode::kNumberExponentDigits;
        } else {
          endNumber(w);
          normalRules<kObserved>(w, byte, at(p));
        }
        ++p;
        continue;

      case ScanMode::kNumberExponentSign:
      case ScanMode::kNumberExponentDigits:
        if (digitChars[byte]) {
          token.push_back(static_cast<char>(byte));
          mode = ScanMode::kNumberExponentDigits;
        } else {
          endNumber(w);
          normalRules<kObserved>(w, byte, at(p));
        }
        ++p;
        continue;

      case ScanMode::kHexNumber:
        if (hexDigitChars[byte]) {
          token.push_back(static_cast<char>(byte));
        } else {
          endNumber(w);
          normalRules<kObserved>(w, byte, at(p));
        }
        ++p;
        continue;

      case ScanMode::kPendingSlash:
        if (byte == '/') {
          mode = ScanMode::kLineComment;
        } else if (byte == '*') {
          mode = ScanMode::kBlockComment;
        } else {
          mode = ScanMode::kBetweenTokens;
          // The slash was the byte before this one, maybe at the end of the last block.
          mark<kObserved>(w, TokenClass::kPunctuator, at(p) - 1);
          w.writeOperator('/');
          w.spacing.lastTokenWasWord = false;
          normalRules<kObserved>(w, byte, at(p));
        }
        ++p;
        continue;

      // Every byte of a comment separates like whitespace; only its closing bytes matter.
      case ScanMode::kLineComment:
        w.spacing.pendingWhitespace = true;
        p = skipPast(p, end, '\n', ScanMode::kBetweenTokens);
        continue;

      case ScanMode::kBlockComment:
        w.spacing.pendingWhitespace = true;
        p = skipBlockComment(p, end);
        continue;

      case ScanMode::kBlockCommentStar:
        if (byte == '/') {
          mode = ScanMode::kBetweenTokens;
        } else if (byte != '*') {
          mode = ScanMode::kBlockComment;
        }
        ++p;
        continue;

      case ScanMode::kSingleQuotedString:
      case ScanMode::kDoubleQuotedString: {
        const char quote = mode == ScanMode::kSingleQuotedString ? '\'' : '"';
        const unsigned char* run = p;
        p = skipStringBody(p, end, quote);
        token.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
        if (p == end) continue;
        if (*p == quote) {
          endString(w, quote);
        } else {
          token.push_back('\\');
          mode = quote == '\'' ? ScanMode::kSingleQuotedEscape : ScanMode::kDoubleQuotedEscape;
        }
        ++p;
        continue;
      }

      case ScanMode::kSingleQuotedEscape:
      case ScanMode::kDoubleQuotedEscape:
        token.push_back(static_cast<char>(byte));
        mode = mode == ScanMode::kSingleQuotedEscape ? ScanMode::kSingleQuotedString : ScanMode::kDoubleQuotedString;
        ++p;
        continue;

      case ScanMode::kIdentifier: {
        const unsigned char* run = p;
        p = skipIdentifierChars(p, end);
        token.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
        if (p == end) continue;
        if (!endIdentifier<kObserved>(w)) {
          w.handBack(spacing);
          return false;
        }
        normalRules<kObserved>(w, *p, at(p));
        ++p;
        continue;
      }
    }
  }
  w.handBack(spacing);
  return true;
}

bool Scanner::endOfFile() {
  ClassicWriter w(out, spacing);
  bool ended = true;
  switch (mode) {
    case ScanMode::kBetweenTokens:
      break;
    case ScanMode::kNumber:
    case ScanMode::kNumberExponentMark:
    case ScanMode::kNumberExponentSign:
    case ScanMode::kNumberExponentDigits:
    case ScanMode::kHexNumber:
      endNumber(w);
      break;
    case ScanMode::kPendingSlash:
      mode = ScanMode::kBetweenTokens;
      if (observer.watches()) mark<true>(w, TokenClass::kPunctuator, fileOffset - 1);
      w.writeOperator('/');
      break;
    case ScanMode::kLineComment:
    case ScanMode::kBlockComment:
    case ScanMode::kBlockCommentStar:
      mode = ScanMode::kBetweenTokens;
      w.spacing.pendingWhitespace = true;
      break;
    case ScanMode::kSingleQuotedString:
    case ScanMode::kSingleQuotedEscape:
    case ScanMode::kDoubleQuotedString:
    case ScanMode::kDoubleQuotedEscape:
      endString(w, 0);
      break;
    case ScanMode::kIdentifier:
      ended = observer.watches() ? endIdentifier<true>(w) : endIdentifier<false>(w);
      break;
  }
  w.handBack(spacing);
  return ended;
}

}  // namespace qvmin
