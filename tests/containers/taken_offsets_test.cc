#include "containers/taken_offsets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace qvmin {
namespace {

// Offsets taken in random order, well past the switch to the bit set, against the plain list of
// the offsets still free; a run shorter than the bit set and one nearly drained are included.
TEST(TakenOffsets, TheRankthFreeOffsetMatchesAPlainList) {
  const struct {
    std::uint32_t runSize;
    std::uint32_t takes;
  } cases[] = {{1, 0}, {3, 2}, {kTakenOffsetsRun, 20'000}, {40'000, 39'990}};
  std::mt19937 random(99);
  for (const auto& c : cases) {
    std::vector<std::uint16_t> free(c.runSize);
    std::iota(free.begin(), free.end(), 0);
    TakenOffsets taken;
    for (std::uint32_t take = 0;; ++take) {
      for (std::uint32_t rank : {std::size_t{0}, free.size() - 1, random() % free.size()}) {
        ASSERT_EQ(freeOffsetAt(taken, rank), free[rank]) << c.runSize << " after " << take << ", rank " << rank;
      }
      if (take == c.takes) break;
      const std::size_t pick = random() % free.size();
      takeOffset(taken, free[pick], c.runSize);
      free.erase(free.begin() + static_cast<std::ptrdiff_t>(pick));
    }
    EXPECT_EQ(taken.bits != nullptr, c.takes > 10'000) << c.runSize;
  }
}

}  // namespace
}  // namespace qvmin
