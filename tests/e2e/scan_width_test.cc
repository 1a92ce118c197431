// The binary that skips runs of source text a byte at a time and runs on one thread writes the
// same bytes as the one that skips them 16 and 32 at a time, builds the source map on a thread of
// its own and reads the strings of large sources in pieces on several, in both grammars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/harness.h"
#include "support/stress_text.h"

namespace qvmin::e2e {
namespace {

TEST(ScanWidths, TheByteLoopWritesWhatTheWidePathsWrite) {
  const std::string text = testing::runsOfEveryLength();
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
