#include "compiler/random_below.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::fakePlatform;
using testing::fakeSystem;

TEST(RandomBelow, DrawsItsPartsBitByBitFromTheCounter) {
  testing::resetFakeSystem();
  EXPECT_EQ(randomBelow(fakePlatform(), 0), 0u);
  EXPECT_EQ(fakeSystem().tickReads, 0u);

  // One bit per call; the nine bits left over are not carried into the next call.
  fakeSystem().ticks = {0b10, 0b01, 0b01};
  EXPECT_EQ(randomBelow(fakePlatform(), 1), 0u);
  EXPECT_EQ(randomBelow(fakePlatform(), 1), 1u);
  EXPECT_EQ(randomBelow(fakePlatform(), 1), 1u);
  EXPECT_EQ(fakeSystem().tickReads, 3u);

  // Masks 31, 15, 3, 1, 1. The first read's low ten bits, lowest first, are 1010000000: the
  // 5-bit part is 10100 = 20 (first bit drawn is highest), the 4-bit part 0, the 2-bit part
  // its last bit 0 then bit 0 of the second read, 1; the 1-bit parts are 1 and 1.
  fakeSystem().ticks = {0xFFFFFC05u, 0b111 | (5u << 10)};
  EXPECT_EQ(randomBelow(fakePlatform(), 51), 23u);
  EXPECT_EQ(fakeSystem().tickReads, 5u);

  // The part masks add up to the limit; 7171007 splits into 15 parts of 170 bits in all.
  for (std::uint32_t limit : {2u, 1024u, 7171007u, 0x80000000u, 0xFFFFFFFFu}) {
    fakeSystem().ticks.assign(17, 1023);
    EXPECT_EQ(randomBelow(fakePlatform(), limit), limit);
    fakeSystem().ticks.clear();
    EXPECT_EQ(randomBelow(fakePlatform(), limit), 0u);
  }
}

// The seeded generator is SplitMix64 exactly as published: its first outputs for seed 0.
TEST(SplitMix64, GivesThePublishedSequence) {
  std::uint64_t state = 0;
  EXPECT_EQ(splitMix64(state), 0xE220A8397B1DCDAFull);
  EXPECT_EQ(splitMix64(state), 0x6E789E6AA1B965F4ull);
  EXPECT_EQ(splitMix64(state), 0x06C45D188009454Full);
}

}  // namespace
}  // namespace qvmin
