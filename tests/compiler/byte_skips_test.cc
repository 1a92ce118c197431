// Every scan width finds exactly what the byte loop finds, wherever the stop byte falls in a
// block and however long the run, and a whole run writes the same bytes at every width.
#include "compiler/byte_skips.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/run.h"
#include "platform/memory_platform.h"
#include "support/scan_widths.h"
#include "support/stress_text.h"

namespace qvmin {
namespace {

using testing::availableWidths;
using testing::WidthGuard;

const unsigned char* bytes(const std::string& text) { return reinterpret_cast<const unsigned char*>(text.data()); }

TEST(ByteSkips, EveryWidthStopsWhereTheByteLoopStops) {
  // Runs of a filler that each skip passes over, with one byte of every value at every position,
  // for lengths around the 16- and 32-byte steps.
  struct Skip {
    char filler;
    const unsigned char* (*skip)(const unsigned char*, const unsigned char*);
    bool (*passes)(unsigned char);
  };
  const Skip skips[] = {
      {'a', skipIdentifierChars, [](unsigned char c) { return kAsciiIdentifierChars[c]; }},
      {' ', skipWhitespace, [](unsigned char c) { return whitespaceChars[c]; }},
      {'x', [](const unsigned char* p, const unsigned char* e) { return findAnyOf(p, e, '\n', '\r', 0xE2, '*'); },
       [](unsigned char c) { return c != '\n' && c != '\r' && c != 0xE2 && c != '*'; }},
      {'x', [](const unsigned char* p, const unsigned char* e) { return skipStringBody(p, e, '"'); },
       [](unsigned char c) { return c != '"' && c != '\\'; }},
  };
  for (ScanWidth width : availableWidths()) {
    WidthGuard guard(width);
    for (const Skip& s : skips) {
      for (std::size_t length : {0, 1, 15, 16, 17, 31, 32, 33, 47, 63, 64, 65, 97}) {
        std::string text(length, s.filler);
        EXPECT_EQ(s.skip(bytes(text), bytes(text) + length), bytes(text) + length) << length;
        for (std::size_t at = 0; at < length; ++at) {
          for (int value = 0; value < 256; ++value) {
            text[at] = static_cast<char>(value);
            const std::size_t expected = s.passes(static_cast<unsigned char>(value)) ? length : at;
            ASSERT_EQ(s.skip(bytes(text), bytes(text) + length) - bytes(text), static_cast<std::ptrdiff_t>(expected))
                << "width " << static_cast<int>(width) << ", filler '" << s.filler << "', length " << length
                << ", byte " << value << " at " << at;
          }
          text[at] = s.filler;
        }
      }
    }
  }
}

TEST(ByteSkips, EveryWidthWritesTheSameBytes) {
  const std::string text = testing::runsOfEveryLength();
  for (const char* syntax : {"classic", "modern"}) {
    std::vector<std::string> outputs;
    for (ScanWidth width : availableWidths()) {
      WidthGuard guard(width);
      resetMemorySystem();
      MemorySystem& system = memorySystem();
      system.files["a.js"] = text;
      system.files["b.js"] = text.substr(0, text.size() - 64 * 1001 - 1);
      system.files["list.txt"] = "a.js\nb.js\n";
      system.readSizes = {65, 4096, 63, 64 * 1024 + 1};
      const char* argv[] = {"qvmin", "/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "names.txt",
                            "/seed", "7", "/syntax", syntax};
      ASSERT_EQ(runQvmin(memoryPlatform(), static_cast<int>(std::size(argv)), argv), 0) << system.printed;
      outputs.push_back(system.contents("out.js") + "\n--\n" + system.contents("names.txt"));
    }
    for (std::size_t i = 1; i < outputs.size(); ++i) EXPECT_TRUE(outputs[i] == outputs[0]) << syntax << " width " << i;
  }
}

}  // namespace
}  // namespace qvmin
