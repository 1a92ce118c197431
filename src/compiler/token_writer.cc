#include "compiler/token_writer.h"

#include "compiler/punctuators.h"

namespace qvmin {
namespace {

bool isOneOf(std::string_view text, std::initializer_list<std::string_view> set) {
  for (std::string_view member : set) {
    if (text == member) return true;
  }
  return false;
}

// Punctuators that may begin a statement or an expression: a line break before one of them may
// be where a statement ends.
bool mayBeginStatement(std::string_view punctuator) {
  return isOneOf(punctuator, {"(", "[", "{", "+", "-", "++", "--", "!", "~", "/", "/=", "..."});
}

}  // namespace

// A number that a following character would make longer: an integer in decimal takes a dot
// (1 .x must not become 1.x), one that ends in an exponent mark takes a sign (1e +1).
bool numberTakesDot(std::string_view number) {
  bool octalDigitsOnly = number.size() >= 2 && number[0] == '0';
  for (char c : number) {
    if (!((c >= '0' && c <= '9') || c == '_')) return false;
    octalDigitsOnly &= c <= '7';
  }
  return !octalDigitsOnly;  // a legacy octal literal takes no fraction
}

bool numberTakesSign(std::string_view number) {
  const bool radix = number.size() >= 2 && number[0] == '0' &&
                     ((number[1] | 0x20) == 'x' || (number[1] | 0x20) == 'o' || (number[1] | 0x20) == 'b');
  return !radix && !number.empty() && (number.back() | 0x20) == 'e';
}

void ModernTokenWriter::beginAfterSeparator(TokenClass next, std::string_view head) {
  const unsigned char first = head.empty() ? 0 : static_cast<unsigned char>(head.front());
  if (pendingLineTerminator && last != TokenClass::kNothing && last != TokenClass::kTemplateOpen) {
    const std::string_view lastText(lastPunctuator, lastPunctuatorSize);
    bool matters = last != TokenClass::kPunctuator || isOneOf(lastText, {")", "]", "}", "++", "--"});
    // A closing piece of a template begins with the } of its substitution.
    const bool nextIsPunctuator = next == TokenClass::kPunctuator ||
                                  ((next == TokenClass::kTemplate || next == TokenClass::kTemplateOpen) && first == '}');
    if (matters && nextIsPunctuator && !mayBeginStatement(next == TokenClass::kPunctuator ? head : "}") &&
        !lastLineSensitiveWord) {
      matters = false;
    }
    if (matters) {
      out.put('\n');
      atLineStart = true;
      operatorBeforeLast = lastOperator = 0;
      pendingSeparator = pendingLineTerminator = false;
      return;
    }
  }
  pendingSeparator = pendingLineTerminator = false;
  bool space = false;
  if (wordsWouldJoin(first)) {
    space = true;
  } else if (lastOther == '#' && first == '!') {
    space = true;  // #! first in the output would read as a hashbang line
  } else if (last == TokenClass::kNumber && ((lastNumberTakesDot && first == '.') ||
                                              (lastNumberTakesSign && (first == '+' || first == '-')))) {
    space = true;
  } else if (last == TokenClass::kPunctuator) {
    // Punctuators that would read as a longer one (= =, ? ?, / =, . . .), a dot before a digit (.5), and
    // --> first on a line, which is a comment.
    space = wouldFuse(operatorBeforeLast, lastOperator, static_cast<char>(first)) ||
            (lastOperator == '.' && ((first >= '0' && first <= '9') || first == '.')) || wouldLengthen(head) ||
            (lastPunctuatorAtLineStart && std::string_view(lastPunctuator, lastPunctuatorSize) == "--" && first == '>');
  }
  if (space) writeSpace();
}

bool ModernTokenWriter::wouldLengthen(std::string_view head) const {
  if (head.empty() || lastPunctuatorSize == 0) return false;
  // Only these go on a punctuator: any other first byte ends it.
  const char first = head.front();
  if (first != '=' && first != '<' && first != '>' && first != '&' && first != '|' && first != '*' && first != '+' &&
      first != '-' && first != '.' && first != '?') {
    return false;
  }
  unsigned char joined[8];
  std::size_t size = 0;
  for (std::size_t i = 0; i < lastPunctuatorSize; ++i) joined[size++] = static_cast<unsigned char>(lastPunctuator[i]);
  for (std::size_t i = 0; i < head.size() && size < sizeof joined; ++i) joined[size++] = static_cast<unsigned char>(head[i]);
  if (joined[0] == '/') return joined[1] == '=';
  return punctuatorLength(joined, joined + size) > lastPunctuatorSize;
}


}  // namespace qvmin
