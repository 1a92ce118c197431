// The binary that skips runs of source text a byte at a time and runs on one thread writes the
// same bytes as the one that skips them 16 and 32 at a time, builds the source map or writes the
// output on a thread of its own and reads the strings of large sources in pieces on several, in
// both grammars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/harness.h"
#include "support/stress_text.h"

namespace qvmin::e2e {
namespace {

TEST(ScanWidths, TheByteLoopWritesWhatTheWidePathsWrite) {
  const std::string text = testing::runsOfEveryLength();
  // With a map; without one, when the output is written on a thread of its own; and with every
  // write of that thread failing.
  const std::vector<std::vector<std::string>> outputs = {
      {"/ofp", "out.js", "/smfp", "out.js.map"}, {"/ofp", "out.js"}, {"/ofp", "/dev/full"}};
  for (const char* syntax : {"classic", "modern"}) {
    for (const std::vector<std::string>& output : outputs) {
      std::vector<std::string> results;
      for (bool plain : {false, true}) {
        ScratchDir dir;
        dir.write("a.js", text);
        dir.write("b.js", text.substr(0, text.size() - 64 * 1001 - 1));
        dir.write("list.txt", "a.js\nb.js\n");
        RunOptions options;
        options.plainBinary = plain;
        std::vector<std::string> args = {"/sflfp", "list.txt", "/oktfp", "names.txt", "/seed", "7", "/syntax", syntax};
        args.insert(args.end(), output.begin(), output.end());
        const RunResult run = runQvmin(dir.path(), args, options);
        ASSERT_EQ(run.status, output[1] == "/dev/full" ? 1 : 0) << run.out;
        results.push_back(run.out);
        for (const char* name : {"out.js", "names.txt", "out.js.map"}) {
          if (dir.exists(name)) results.back() += dir.read(name);
        }
      }
      EXPECT_TRUE(results[0] == results[1]) << syntax << " " << output.size();
    }
  }
}

}  // namespace
}  // namespace qvmin::e2e
