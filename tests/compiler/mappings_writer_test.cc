#include "compiler/mappings_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_platform.h"

namespace qvmin {
namespace {

struct MappingsCase {
  std::vector<Segment> segments;
  const char* expected;
};

const MappingsCase kCases[] = {
    {{{0, 0, 0, 0, 0, -1}, {0, 4, 0, 0, 4, -1}, {0, 5, 0, 1, 2, 0}}, "AAAA,IAAI,CACFA"},
    // Lines without segments, a second file, and differences of one, two and three digits.
    {{{0, 15, 0, 0, 15, -1}, {3, 16, 1, 0, 16, 1}, {3, 527, 1, 200, 0, 0}}, "eAAe;;;gBCACC,+fAwMhBD"},
    {{{0, 1000, 2, 70000, 5, 3}, {0, 1001, 0, 0, 0, 2}}, "w+BEg3oEKG,CFh3oELD"},
};

TEST(WriteSegments, Table) {
  for (const MappingsCase& c : kCases) {
    std::string bytes;
    OutputBuffer map(testing::fakePlatform(), -1);
    map.watch(ByteWatcher{&bytes, [](void* to, std::string_view seen) { static_cast<std::string*>(to)->append(seen); }});
    MappingsState state;
    // One segment at a time and all at once write the same.
    for (const Segment& segment : c.segments) state = writeSegments(map, state, &segment, 1);
    map.flush();
    EXPECT_EQ(bytes, c.expected);
    bytes.clear();
    writeSegments(map, MappingsState{}, c.segments.data(), c.segments.size());
    map.flush();
    EXPECT_EQ(bytes, c.expected);
  }
}

}  // namespace
}  // namespace qvmin
