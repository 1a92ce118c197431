#include "compiler/relative_path.h"

#include <gtest/gtest.h>

namespace qvmin {
namespace {

struct PathCase {
  const char* map;
  const char* target;
  const char* currentDirectory;
  const char* expected;
};

const PathCase kCases[] = {
    {"o.js.map", "a.js", "/w", "a.js"},
    {"out/o.js.map", "src/a.js", "/w", "../src/a.js"},
    {"./out/./o.js.map", "src/../a.js", "/w", "../a.js"},
    {"maps/o.js.map", "maps/sub/a.js", "/w", "sub/a.js"},
    {"/tmp/o.js.map", "a.js", "/w/p", "../w/p/a.js"},
    {"o.js.map", "/w/p/a.js", "/w/q", "../p/a.js"},
    {"../m/o.js.map", "a.js", "/w/p", "../p/a.js"},
    {"o.js.map", "../../a.js", "/w/p", "../../a.js"},
    {"/o.js.map", "/a.js", "", "a.js"},
    // Without the current directory relative paths are still worked out between themselves.
    {"out/o.js.map", "a.js", "", "../a.js"},
    {"a//b/o.js.map", "a/b//c.js", "/w", "c.js"},
};

TEST(PathFromFolderOf, Table) {
  for (const PathCase& c : kCases) {
    EXPECT_EQ(pathFromFolderOf(c.map, c.target, c.currentDirectory), c.expected) << c.map << " -> " << c.target;
  }
}

}  // namespace
}  // namespace qvmin
