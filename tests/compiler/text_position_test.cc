#include "compiler/text_position.h"

#include <gtest/gtest.h>

#include <string>

namespace qvmin {
namespace {

// The position after a prefix, by the byte rule alone.
TextPosition positionAfter(std::string_view prefix) {
  TextPosition position;
  position.advance(prefix);
  return position;
}

const std::string kTexts[] = {
    "var a = 1;\nvar b = 2;\n\n  c();",
    "one\r\ntwo\rthree\n\r\nfour\r",
    "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 x\xE2\x80\xA8y\xE2\x80\xA9z\xE2\x80\xAAw",
    "\xE2\x80\xE2\x80\xA8\xFF\xC0\x80\xE2\x80\n\x80\xA8",
    // Plain runs longer than what is looked at in one go, with a break just past 64 bytes.
    std::string(70, 'x') + "\n" + std::string(200, 'y') + "\xC3\xA9" + std::string(63, 'z') + "\r\n" + std::string(64, 'w'),
};

// A cursor moved through the text in the steps a recorder takes: the text shown a piece at a
// time, either with everything before it still there (the source window) or alone (the output
// buffer), each piece visited every `step` bytes and then to its end.
TEST(TextCursor, MatchesTheByteRuleInEveryStep) {
  for (const std::string& text : kTexts) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{64}, std::size_t{1000}}) {
      for (const std::size_t step : {std::size_t{1}, std::size_t{5}}) {
        for (const bool alone : {false, true}) {
          TextCursor cursor;
          for (std::size_t from = 0; from < text.size(); from += piece) {
            const std::size_t end = std::min(text.size(), from + piece);
            const std::string_view shown = alone ? std::string_view(text).substr(from, end - from)
                                                 : std::string_view(text).substr(0, end);
            const std::uint64_t start = alone ? from : 0;
            for (std::size_t to = from; ; to = std::min(end, to + step)) {
              cursor.moveTo(shown, start, to);
              const TextPosition expected = positionAfter(std::string_view(text).substr(0, to));
              ASSERT_EQ(cursor.position.line, expected.line) << "piece " << piece << " step " << step << " at " << to;
              ASSERT_EQ(cursor.position.column, expected.column) << "piece " << piece << " step " << step << " at " << to;
              if (to == end) break;
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace qvmin
