// The binary that skips runs of source text a byte at a time, and builds the source map in step
// with the run, writes the same bytes as the one that skips them 16 and 32 at a time and builds
// the map on a thread of its own, in both grammars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/harness.h"

namespace qvmin::e2e {
namespace {

// Every kind of run across 16-, 32- and 64-byte steps: a 1 MB identifier, long comments,
// strings, templates, regular expressions and indentation, most of a million short tokens (many
// batches of them for the map's thread), and every byte value.
std::string runsOfEveryLength() {
  std::string text = "var " + std::string(1 << 20, 'q') + " = 1;\n";
  for (int i = 0; i < 200; ++i) {
    const auto n = static_cast<std::size_t>(i);
    text += "/* " + std::string(n, '*') + "\r\n */ function f" + std::to_string(i) + "(a, b) {\n" + std::string(n % 70, ' ') +
            "return '" + std::string(n, 'z') + "\\'' + \"" + std::string(n % 40, 'y') + "\" + `t${a}" + std::string(n % 65, '$') +
            "` + /r[/]" + std::string(n % 33, 'x') + "/g.source; // " + std::string(n, '-') + "\n}\n";
  }
  for (int i = 0; i < 200000; ++i) text += "v" + std::to_string(i % 977) + (i % 13 == 0 ? "=w;\n" : "=w;");
  for (int value = 0; value < 256; ++value) text += static_cast<char>(value);
  return text;
}

TEST(ScanWidths, TheByteLoopWritesWhatTheWidePathsWrite) {
  const std::string text = runsOfEveryLength();
  for (const char* syntax : {"classic", "modern"}) {
    std::vector<std::string> results;
    for (bool plain : {false, true}) {
      ScratchDir dir;
      dir.write("a.js", text);
      dir.write("b.js", text.substr(0, text.size() - 64 * 1001 - 1));
      dir.write("list.txt", "a.js\nb.js\n");
      RunOptions options;
      options.plainBinary = plain;
      const RunResult run = runQvmin(
          dir.path(), {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "names.txt", "/smfp", "out.js.map", "/seed", "7",
                       "/syntax", syntax},
          options);
      ASSERT_EQ(run.status, 0) << run.out;
      results.push_back(run.out + dir.read("out.js") + dir.read("names.txt") + dir.read("out.js.map"));
    }
    EXPECT_TRUE(results[0] == results[1]) << syntax;
  }
}

}  // namespace
}  // namespace qvmin::e2e
