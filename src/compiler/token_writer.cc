#include "compiler/token_writer.h"

#include "compiler/punctuators.h"

namespace qvmin {
namespace {

// Punctuators that may begin a statement or an expression: a line break before one of them may
// be where a statement ends. ( [ { + - ++ -- ! ~ / /= ...
bool mayBeginStatement(std::string_view punctuator) {
  const char c = punctuator.empty() ? 0 : punctuator[0];
  switch (punctuator.size()) {
    case 1:
      return c == '(' || c == '[' || c == '{' || c == '+' || c == '-' || c == '!' || c == '~' || c == '/';
    case 2:
      return (c == '+' && punctuator[1] == '+') || (c == '-' && punctuator[1] == '-') || (c == '/' && punctuator[1] == '=');
    case 3:
      return c == '.';
    default:
      return false;
  }
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

void ModernTokenWriter::beginAfterLineBreak(TokenClass next, std::string_view head) {
  const unsigned char first = head.empty() ? 0 : static_cast<unsigned char>(head.front());
  pendingSeparator = pendingLineTerminator = false;
  if (last != TokenClass::kNothing && last != TokenClass::kTemplateOpen) {
    // After a punctuator only ) ] } and postfix ++ -- may end a statement.
    const char lastChar = lastPunctuatorSize > 0 ? lastPunctuator[lastPunctuatorSize - 1] : 0;
    bool matters = last != TokenClass::kPunctuator || (lastPunctuatorSize == 1 && (lastChar == ')' || lastChar == ']' || lastChar == '}')) ||
                   (lastPunctuatorSize == 2 && (lastChar == '+' || lastChar == '-') && lastPunctuator[0] == lastChar);
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
      return;
    }
  }
  if (spaceNeededAfterSeparator(next, head, first)) writeSpace();
}

// Punctuators that would read as a longer one (= =, ? ?, / =, . . .), a dot before a digit (.5),
// and --> first on a line, which is a comment.
bool ModernTokenWriter::punctuatorsWouldFuse(TokenClass next, std::string_view head) const {
  const char first = head.empty() ? 0 : head.front();
  return wouldFuse(operatorBeforeLast, lastOperator, first) || (signAfterExponentMark && first >= '0' && first <= '9') ||
         (lastOperator == '.' && ((first >= '0' && first <= '9') || first == '.')) ||
         (next == TokenClass::kPunctuator && wouldLengthen(head)) ||
         (lastPunctuatorAtLineStart && std::string_view(lastPunctuator, lastPunctuatorSize) == "--" && first == '>');
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
