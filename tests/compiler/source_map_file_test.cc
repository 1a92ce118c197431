#include "compiler/source_map_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_platform.h"

namespace qvmin {
namespace {

// What a JSON string writer writes for text given in the pieces listed, into a buffer of the
// given capacity.
std::string written(const std::vector<std::string>& pieces, std::size_t capacity) {
  std::string bytes;
  OutputBuffer out(testing::fakePlatform(), -1, capacity);
  out.watch(ByteWatcher{&bytes, [](void* to, std::string_view seen) { static_cast<std::string*>(to)->append(seen); }});
  JsonStringWriter text(out);
  for (const std::string& piece : pieces) text.add(piece);
  text.finish();
  out.flush();
  return bytes;
}

struct JsonCase {
  std::vector<std::string> pieces;
  std::string expected;
};

const JsonCase kCases[] = {
    {{"var a = \"b\\\\c\";\n"}, R"("var a = \"b\\\\c\";\n")"},
    {{"\t\r\x01"}, R"("\u0009\u000d\u0001")"},
    {{"long plain text past eight bytes"}, R"("long plain text past eight bytes")"},
    // A sequence split between two pieces is one character; a malformed one is U+FFFD per byte.
    {{"x\xF0\x9F", "\x98\x80y"}, "\"x\xF0\x9F\x98\x80y\""},
    {{"\xC3", "\xA9"}, "\"\xC3\xA9\""},
    {{"a\xE2\x80"}, R"("a\ufffd\ufffd")"},
    {{"\xFF\xC0\x80 \xED\xA0\x80"}, R"("\ufffd\ufffd\ufffd \ufffd\ufffd\ufffd")"},
    {{"\xE2\x80\xA8 caf\xC3\xA9"}, "\"\xE2\x80\xA8 caf\xC3\xA9\""},
    // Escapes and a sequence where the writer's 16-byte steps and 4096-byte stretches end.
    {{std::string(15, 'a') + "\"" + std::string(4078, 'b') + "\xE2\x82\xAC\n" + std::string(20, 'c')},
     "\"" + std::string(15, 'a') + "\\\"" + std::string(4078, 'b') + "\xE2\x82\xAC\\n" + std::string(20, 'c') + "\""},
    {{std::string(4095, 'd') + "\xE2", "\x82\xAC\x01"}, "\"" + std::string(4095, 'd') + "\xE2\x82\xAC\\u0001\""},
    // Escapes in runs, and a sequence among them, well inside a long text.
    {{std::string(100, 'e') + "\n\t\t\"\\" + std::string(60, 'f') + "\t\xC3\xA9\n" + std::string(100, 'g')},
     "\"" + std::string(100, 'e') + "\\n\\u0009\\u0009\\\"\\\\" + std::string(60, 'f') + "\\u0009\xC3\xA9\\n" +
         std::string(100, 'g') + "\""},
};

TEST(JsonStringWriter, Table) {
  // A small buffer takes the text in many writes, a large one in few.
  for (const std::size_t capacity : {std::size_t{16}, OutputBuffer::kDefaultCapacity}) {
    for (const JsonCase& c : kCases) EXPECT_EQ(written(c.pieces, capacity), c.expected) << c.expected;
  }
}

}  // namespace
}  // namespace qvmin
