// Decides what goes between two tokens of the output: nothing, a space, or (modern grammar) a
// line feed. The scanners say what each token is; the writer keeps the little it must remember
// of the tokens already written, so that no two tokens fuse into something else and no line
// break that a statement may end on is lost.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "compiler/output_buffer.h"

namespace qvmin {

// Operator characters that would read as something else if written side by side: ++, --, //
// and /*, and <!--, which browsers take for a comment running to the end of the line.
// beforePrevious is the operator character written just before previous, if any.
// Only these can be the first of two that fuse; most operator characters follow a word or
// one of ( ) ; , and are done with one look-up.
inline constexpr std::array<bool, 256> kMayFuseWithNext = [] {
  std::array<bool, 256> leads{};
  for (unsigned char c : {'+', '-', '/', '<', '!'}) leads[c] = true;
  return leads;
}();
inline bool wouldFuse(char beforePrevious, char previous, char next) {
  return (previous == '+' && next == '+') || (previous == '-' && next == '-') ||
         (previous == '/' && (next == '/' || next == '*')) || (previous == '<' && next == '!') ||
         (beforePrevious == '<' && previous == '!' && next == '-');
}

bool numberTakesDot(std::string_view number);
bool numberTakesSign(std::string_view number);

// What the writer needs to know of a modern token.
enum class TokenClass : std::uint8_t {
  kNothing,       // no token yet (start of the output, or just after the hashbang line)
  kWord,          // identifier, keyword or private name
  kNumber,
  kRegex,         // ends like a word: its flags would run into one
  kString,
  kTemplate,      // a whole template, or its last piece `}...``
  kTemplateOpen,  // a piece that opens a substitution: `...${ or }...${
  kPunctuator,
  kOther,         // a byte that begins no token, copied as it is
};

// Only a token beginning with one of these can run into a punctuator before it.
constexpr bool mayFuseAfterPunctuator(unsigned char first) {
  switch (first) {
    case '+': case '-': case '/': case '*': case '!': case '.': case '=': case '<': case '>': case '&': case '|':
    case '?': case '%': case '^': case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7':
    case '8': case '9':
      return true;
    default:
      return false;
  }
}
struct ModernTokenWriter {
  explicit ModernTokenWriter(OutputBuffer& out) : out(out) {}

  // White space or a comment since the last token; lineTerminator when it held a line break.
  void separate(bool lineTerminator) {
    pendingSeparator = true;
    // Most line breaks follow ; { , and the like, which neither end a statement nor join
    // anything: such a break is kept as any other separator, and the next token pays nothing.
    // (Nothing is written between here and the next token, so the last token stays the same.)
    if (lineTerminator && !(last == TokenClass::kPunctuator && joinsNext == 0 && lastPunctuatorSize == 1 &&
                            lastPunctuator[0] != ')' && lastPunctuator[0] != ']' && lastPunctuator[0] != '}')) {
      pendingLineTerminator = true;
    }
  }
  bool lineTerminatorPending() const { return pendingLineTerminator; }

  // Writes what must stand between the last token and one of class `next` whose first bytes
  // (all of them, for a punctuator) are `head`. Tokens that stood side by side in the source
  // read the same side by side, but for words that a new name or a stray byte would join.
  [[gnu::always_inline]] void begin(TokenClass next, std::string_view head) {
    const unsigned char first = head.empty() ? 0 : static_cast<unsigned char>(head.front());
    if (!pendingSeparator) {
      // Side by side in the source they read apart; only a new name or a stray byte can join,
      // or flags ending in \u before a { that a later file may go on into an escape.
      if ((joinsNext & kJoinsAfter[first] & (kJoinsWord | kJoinsBang | kJoinsBrace)) != 0) writeSpace();
      return;
    }
    if (pendingLineTerminator) {
      beginAfterLineBreak(next, head);
      return;
    }
    pendingSeparator = false;
    if (spaceNeededAfterSeparator(next, head, first)) writeSpace();
  }

  // What begin(TokenClass::kWord, text) writes: every byte that begins a word joins only a word
  // before it (kJoinsAfter), so the word's text need not be looked at.
  [[gnu::always_inline]] void beginWord(std::string_view text) {
    if (pendingSeparator) {
      if (pendingLineTerminator) {
        beginAfterLineBreak(TokenClass::kWord, text);
        return;
      }
      pendingSeparator = false;
    }
    if ((joinsNext & kJoinsWord) != 0) writeSpace();
  }

  // Records the token just written. `text` is a punctuator's or a number's text, or a regular
  // expression's flags (others need none); `lineSensitiveWord` marks a word after which a line break may end a statement even
  // before a closing punctuator.
  // What is known of the last token is read only where `last` says it is of that kind: a word
  // or a string leaves the punctuator's and the number's fields as they were.
  [[gnu::always_inline]] void end(TokenClass cls, std::string_view text = {}, bool lineSensitiveWord = false) {
    std::uint8_t joins = 0;
    if (cls == TokenClass::kPunctuator) {
      endPunctuator(text);
      joins = kJoinsOperator;
    } else if (cls == TokenClass::kNumber) {
      lastNumberTakesDot = numberTakesDot(text);
      lastNumberTakesSign = numberTakesSign(text);
      joins = static_cast<std::uint8_t>(kJoinsWord | (lastNumberTakesDot || lastNumberTakesSign ? kJoinsNumber : 0));
    } else if (cls == TokenClass::kWord) {
      joins = kJoinsWord;
    } else if (cls == TokenClass::kRegex) {
      // Flags copied as they are may end in a \u that is no escape; a { after it could make one.
      joins = static_cast<std::uint8_t>(kJoinsWord | (text.ends_with("\\u") ? kJoinsBrace : 0));
    } else if (cls == TokenClass::kOther) {
      // #! first in the output would read as a hashbang line.
      joins = static_cast<std::uint8_t>(kJoinsWord | (!text.empty() && text[0] == '#' ? kJoinsBang : 0));
    }
    joinsNext = joins;
    last = cls;
    lastLineSensitiveWord = lineSensitiveWord;
    atLineStart = false;
  }

  // Writes a punctuator that nothing after it can lengthen or fuse with: ( ) [ ] { } ; , : ~
  [[gnu::always_inline]] void writeLonePunctuator(char c) {
    begin(TokenClass::kPunctuator, std::string_view(&c, 1));
    out.put(c);
    lastPunctuator[0] = c;
    lastPunctuatorSize = 1;
    // None of these is an operator character that a later one could fuse with.
    operatorBeforeLast = lastOperator = 0;
    signAfterExponentMark = false;
    joinsNext = 0;
    last = TokenClass::kPunctuator;
    lastLineSensitiveWord = false;
    atLineStart = false;
  }

  // Writes a token whole.
  [[gnu::always_inline]] void write(TokenClass cls, std::string_view text) {
    begin(cls, text);
    out.append(text);
    end(cls, text);
  }

  // Ends the output's line here: after the hashbang line, and after a string or regular
  // expression that a file left open, which a line break ends.
  void endLine(char lineTerminator = '\n') {
    out.put(lineTerminator);
    atLineStart = true;
    last = TokenClass::kNothing;
    joinsNext = 0;
    operatorBeforeLast = lastOperator = 0;
    pendingSeparator = pendingLineTerminator = false;
  }

  // The last punctuator and the start of the next would read as one longer punctuator.
  bool wouldLengthen(std::string_view head) const;
  void beginAfterLineBreak(TokenClass next, std::string_view head);
  bool punctuatorsWouldFuse(TokenClass next, std::string_view head) const;
  // Where the source separated two tokens, whether they would read differently side by side.
  [[gnu::always_inline]] bool spaceNeededAfterSeparator(TokenClass next, std::string_view head, unsigned char first) const {
    const std::uint8_t joins = joinsNext & kJoinsAfter[first];
    if (joins == 0) return false;
    if ((joins & (kJoinsWord | kJoinsBang | kJoinsBrace)) != 0) return true;
    if ((joins & kJoinsNumber) != 0) return numberWouldGrow(first);
    return punctuatorsWouldFuse(next, head);
  }
  bool numberWouldGrow(unsigned char first) const {
    return (lastNumberTakesDot && first == '.') || (lastNumberTakesSign && (first == '+' || first == '-'));
  }

  // A word, or a stray # or \ (a private name, an escape), before a word would join it; a stray #
  // before ! could read as a hashbang. joinsNext holds, as these bits, what the last token may
  // join; kJoinsAfter, what a token beginning with a byte may join. The last two bits only say
  // that a closer look is needed.
  static constexpr std::uint8_t kJoinsWord = 1;
  static constexpr std::uint8_t kJoinsBang = 2;
  static constexpr std::uint8_t kJoinsOperator = 4;  // a punctuator that may fuse with what follows
  static constexpr std::uint8_t kJoinsNumber = 8;    // a number that a dot or a sign would lengthen
  static constexpr std::uint8_t kJoinsBrace = 16;    // regular expression flags ending in \u
  static constexpr std::array<std::uint8_t, 256> kJoinsAfter = [] {
    std::array<std::uint8_t, 256> joins{};
    for (int b = 0; b < 256; ++b) {
      const bool startsWord = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '$' ||
                              b == '_' || b == '\\' || b >= 0x80;
      joins[b] = static_cast<std::uint8_t>((startsWord ? kJoinsWord : 0) | (b == '!' ? kJoinsBang : 0) |
                                           (mayFuseAfterPunctuator(static_cast<unsigned char>(b)) ? kJoinsOperator : 0) |
                                           (b == '.' || b == '+' || b == '-' ? kJoinsNumber : 0) |
                                           (b == '{' ? kJoinsBrace : 0));
    }
    return joins;
  }();
  void writeSpace() {
    out.put(' ');
    operatorBeforeLast = lastOperator = 0;
    atLineStart = false;
  }
  void endPunctuator(std::string_view text) {
    const std::size_t size = text.size() < sizeof lastPunctuator ? text.size() : sizeof lastPunctuator;
    lastPunctuator[0] = size > 0 ? text[0] : 0;
    for (std::size_t i = 1; i < size; ++i) lastPunctuator[i] = text[i];
    lastPunctuatorSize = static_cast<std::uint8_t>(size);
    lastPunctuatorAtLineStart = atLineStart;
    // Operator characters written side by side stay in view across tokens: < then ! then --.
    const char previous = last == TokenClass::kPunctuator ? lastOperator : 0;
    operatorBeforeLast = size >= 2 ? text[size - 2] : previous;
    lastOperator = size > 0 ? text[size - 1] : 0;
    // 1e then + then 5 would read as one number, 1e+5.
    signAfterExponentMark = last == TokenClass::kNumber && lastNumberTakesSign && size == 1 &&
                            (text[0] == '+' || text[0] == '-');
    lastNumberTakesDot = lastNumberTakesSign = false;
  }

  OutputBuffer& out;
  bool pendingSeparator = false;
  bool pendingLineTerminator = false;
  bool atLineStart = true;  // nothing written since the last line feed (or ever)
  TokenClass last = TokenClass::kNothing;
  char lastPunctuator[4] = {};
  std::uint8_t lastPunctuatorSize = 0;
  bool lastNumberTakesDot = false;   // 1 .x
  bool lastNumberTakesSign = false;  // 1e +1
  bool lastLineSensitiveWord = false;
  bool lastPunctuatorAtLineStart = false;
  bool signAfterExponentMark = false;  // the last punctuator is a sign right after a number like 1e
  std::uint8_t joinsNext = 0;
  char operatorBeforeLast = 0;  // the last two operator characters written side by side
  char lastOperator = 0;
};

}  // namespace qvmin
