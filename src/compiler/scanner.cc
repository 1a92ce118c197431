#include "compiler/scanner.h"

#include <array>
#include <cstring>

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

// Bytes after a run of decimal digits that may still belong to the number: a hexadecimal
// prefix after a lone zero, or an exponent.
constexpr CharacterClass kNumberContinuations = detail::makeClass("xXeE");

}  // namespace

[[gnu::always_inline]] inline void Scanner::applySpaceRule() {
  if (!pendingWhitespace) return;
  pendingWhitespace = false;
  if (lastTokenWasWord) {
    lastTokenWasWord = false;
    out.put(' ');
    forgetOperators();
  }
}

[[gnu::always_inline]] inline void Scanner::writeOperator(char byte) {
  // Anything between the two characters in the source, a dropped byte included, kept them apart.
  if (kMayFuseWithNext[static_cast<unsigned char>(lastOperator)] && (pendingWhitespace || droppedSinceOperator) &&
      wouldFuse(operatorBeforeLast, lastOperator, byte)) {
    out.put(' ');
    forgetOperators();
  }
  out.put(byte);
  operatorBeforeLast = lastOperator;
  lastOperator = byte;
  droppedSinceOperator = false;
}

// Moves past the next `target` byte and into `then`; without one, to the end of the block.
inline const unsigned char* Scanner::skipPast(const unsigned char* p, const unsigned char* end, char target,
                                              ScanMode then) {
  const void* found = std::memchr(p, target, static_cast<std::size_t>(end - p));
  if (found == nullptr) return end;
  mode = then;
  return static_cast<const unsigned char*>(found) + 1;
}

void Scanner::endNumber() {
  mode = ScanMode::kBetweenTokens;
  lastTokenWasWord = true;
  out.append(token);
  forgetOperators();
  token.clear();
}

template <bool kObserved>
[[gnu::always_inline]] inline bool Scanner::writeIdentifier(std::string_view identifier) {
  lastTokenWasWord = true;
  std::string_view text = identifier;
  const TextMap::Entry* entry = nullptr;
  if (genericizer != nullptr) {
    entry = genericizeIdentifier(*genericizer, identifier);
    if (entry == nullptr) return false;
    text = entry->value;
  } else if (rewriter.rewrite != nullptr && !rewriter.rewrite(rewriter.context, identifier, &text)) {
    return false;
  }
  if constexpr (kObserved) {
    if (observer.onName != nullptr) observer.onName(observer.context, identifier, text, entry);
  }
  out.append(text);
  forgetOperators();
  return true;
}

template <bool kObserved>
bool Scanner::endIdentifier() {
  mode = ScanMode::kBetweenTokens;
  if (!writeIdentifier<kObserved>(token)) return false;
  token.clear();
  return true;
}

void Scanner::endString(char closingQuote) {
  mode = ScanMode::kBetweenTokens;
  lastTokenWasWord = false;
  if (strings.onString != nullptr) strings.onString(strings.context, std::string_view(token).substr(1));
  if (closingQuote != 0) token.push_back(closingQuote);
  out.append(token);
  forgetOperators();
  token.clear();
}

template <bool kObserved>
[[gnu::always_inline]] inline void Scanner::normalRules(unsigned char byte, std::uint64_t offset) {
  switch (kByteKinds[byte]) {
    case ByteKind::kDigit:
      mark<kObserved>(TokenClass::kNumber, offset);
      applySpaceRule();
      mode = ScanMode::kNumber;
      token.push_back(static_cast<char>(byte));
      break;
    case ByteKind::kSlash:
      mode = ScanMode::kPendingSlash;
      break;
    case ByteKind::kOperator:
      mark<kObserved>(TokenClass::kPunctuator, offset);
      writeOperator(static_cast<char>(byte));
      pendingWhitespace = false;
      lastTokenWasWord = false;
      break;
    case ByteKind::kApostrophe:
    case ByteKind::kQuote:
      mark<kObserved>(TokenClass::kString, offset);
      pendingWhitespace = false;
      lastTokenWasWord = false;
      mode = byte == '\'' ? ScanMode::kSingleQuotedString : ScanMode::kDoubleQuotedString;
      token.push_back(static_cast<char>(byte));
      break;
    case ByteKind::kIdentifierStart:
      mark<kObserved>(TokenClass::kWord, offset);
      applySpaceRule();
      mode = ScanMode::kIdentifier;
      token.push_back(static_cast<char>(byte));
      break;
    case ByteKind::kWhitespace:
      pendingWhitespace = true;
      break;
    case ByteKind::kOther:
      droppedSinceOperator = true;
      break;
  }
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
  while (p < end) {
    unsigned char byte = *p;
    switch (mode) {
      case ScanMode::kBetweenTokens:
        // Stay here for as long as bytes end where they begin: whitespace, operators, and words
        // that end inside this block, which are handled in place without being collected.
        do {
          byte = *p;
          // Tested by how often they come, most frequent first.
          const ByteKind kind = kByteKinds[byte];
          if (kind == ByteKind::kIdentifierStart) {
            const unsigned char* run = skipIdentifierChars(p + 1, end);
            std::string_view identifier(reinterpret_cast<const char*>(p), static_cast<std::size_t>(run - p));
            mark<kObserved>(TokenClass::kWord, at(p));
            applySpaceRule();
            if (run == end) [[unlikely]] {
              mode = ScanMode::kIdentifier;
              token.assign(identifier);
              p = run;
              goto nextMode;
            }
            if (!writeIdentifier<kObserved>(identifier)) [[unlikely]] {
              token.assign(identifier);
              return false;
            }
            p = run;
            // A word is most often followed straight away by an operator character: handle it
            // here, where the branch predictor knows a word came before.
            if (kByteKinds[*p] == ByteKind::kOperator) {
              mark<kObserved>(TokenClass::kPunctuator, at(p));
              writeOperator(static_cast<char>(*p));
              pendingWhitespace = false;
              lastTokenWasWord = false;
              ++p;
            }
          } else if (kind == ByteKind::kOperator) {
            mark<kObserved>(TokenClass::kPunctuator, at(p));
            writeOperator(static_cast<char>(byte));
            pendingWhitespace = false;
            lastTokenWasWord = false;
            ++p;
          } else if (kind == ByteKind::kWhitespace) {
            pendingWhitespace = true;
            ++p;
            // Mostly a single space; only indentation and blank lines are worth a wide skip.
            if (p < end && whitespaceChars[*p]) p = skipWhitespace(p + 1, end);
          } else if (kind == ByteKind::kDigit) {
            // A plain decimal number: digits ended by a byte that cannot continue it.
            const unsigned char* run = p + 1;
            while (run < end && digitChars[*run]) ++run;
            if (run < end && !kNumberContinuations[*run]) {
              mark<kObserved>(TokenClass::kNumber, at(p));
              applySpaceRule();
              lastTokenWasWord = true;
              out.append(std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(run - p)));
              forgetOperators();
              p = run;
            } else {
              normalRules<kObserved>(byte, at(p));
              ++p;
              goto nextMode;
            }
          } else {
            normalRules<kObserved>(byte, at(p));
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
          endNumber();
          normalRules<kObserved>(byte, at(p));
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
          endNumber();
          normalRules<kObserved>(byte, at(p));
        }
        ++p;
        continue;

      case ScanMode::kNumberExponentSign:
      case ScanMode::kNumberExponentDigits:
        if (digitChars[byte]) {
          token.push_back(static_cast<char>(byte));
          mode = ScanMode::kNumberExponentDigits;
        } else {
          endNumber();
          normalRules<kObserved>(byte, at(p));
        }
        ++p;
        continue;

      case ScanMode::kHexNumber:
        if (hexDigitChars[byte]) {
          token.push_back(static_cast<char>(byte));
        } else {
          endNumber();
          normalRules<kObserved>(byte, at(p));
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
          mark<kObserved>(TokenClass::kPunctuator, at(p) - 1);
          writeOperator('/');
          lastTokenWasWord = false;
          normalRules<kObserved>(byte, at(p));
        }
        ++p;
        continue;

      // Every byte of a comment separates like whitespace; only its closing bytes matter.
      case ScanMode::kLineComment:
        pendingWhitespace = true;
        p = skipPast(p, end, '\n', ScanMode::kBetweenTokens);
        continue;

      case ScanMode::kBlockComment:
        pendingWhitespace = true;
        p = skipPast(p, end, '*', ScanMode::kBlockCommentStar);
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
          endString(quote);
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
        if (!endIdentifier<kObserved>()) return false;
        normalRules<kObserved>(*p, at(p));
        ++p;
        continue;
      }
    }
  }
  return true;
}

bool Scanner::endOfFile() {
  switch (mode) {
    case ScanMode::kBetweenTokens:
      break;
    case ScanMode::kNumber:
    case ScanMode::kNumberExponentMark:
    case ScanMode::kNumberExponentSign:
    case ScanMode::kNumberExponentDigits:
    case ScanMode::kHexNumber:
      endNumber();
      break;
    case ScanMode::kPendingSlash:
      mode = ScanMode::kBetweenTokens;
      if (observer.watches()) mark<true>(TokenClass::kPunctuator, fileOffset - 1);
      writeOperator('/');
      break;
    case ScanMode::kLineComment:
    case ScanMode::kBlockComment:
    case ScanMode::kBlockCommentStar:
      mode = ScanMode::kBetweenTokens;
      pendingWhitespace = true;
      break;
    case ScanMode::kSingleQuotedString:
    case ScanMode::kSingleQuotedEscape:
    case ScanMode::kDoubleQuotedString:
    case ScanMode::kDoubleQuotedEscape:
      endString(0);
      break;
    case ScanMode::kIdentifier:
      if (!(observer.watches() ? endIdentifier<true>() : endIdentifier<false>())) return false;
      break;
  }
  return true;
}

}  // namespace qvmin
