#include "compiler/random_below.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::fakePlatform;
using testing::fakeSystem;

class RandomBelowTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::resetFakeSystem(); }
  void script(std::initializer_list<std::uint64_t> ticks) { fakeSystem().ticks.assign(ticks); }
};

TEST_F(RandomBelowTest, ZeroReadsNoCounterAndOneTakesOneBitPerCall) {
  EXPECT_EQ(randomBelow(fakePlatform(), 0), 0u);
  EXPECT_EQ(fakeSystem().tickReads, 0u);

  script({0b10, 0b11});
  EXPECT_EQ(randomBelow(fakePlatform(), 1), 0u);
  EXPECT_EQ(randomBelow(fakePlatform(), 1), 1u);
  EXPECT_EQ(fakeSystem().tickReads, 2u);

  // The nine bits left over from a read are not carried into the next call.
  script({0b01, 0b01});
  EXPECT_EQ(randomBelow(fakePlatform(), 1), 1u);
  EXPECT_EQ(randomBelow(fakePlatform(), 1), 1u);
  EXPECT_EQ(fakeSystem().tickReads, 4u);
}

TEST_F(RandomBelowTest, FiftyOneDrawsThirteenBitsFromTwoReads) {
  // Masks 31, 15, 3, 1, 1. The low ten bits of the first read, lowest first, are 1010000000:
  // the 5-bit part is 10100 (first bit drawn is highest) = 20, the 4-bit part 0, and the
  // 2-bit part takes the last bit, 0, then bit 0 of the second read, 1. The two 1-bit parts
  // are 1 and 1. Bits above the tenth never count.
  script({0xFFFFFC05u, 0b111 | (5u << 10)});
  EXPECT_EQ(randomBelow(fakePlatform(), 51), 20u + 0u + 1u + 1u + 1u);
  EXPECT_EQ(fakeSystem().tickReads, 2u);
  EXPECT_TRUE(fakeSystem().ticks.empty());
}

TEST_F(RandomBelowTest, TwoIsTwoOneBitParts) {
  script({0b01});
  EXPECT_EQ(randomBelow(fakePlatform(), 2), 1u);
  script({0b10});
  EXPECT_EQ(randomBelow(fakePlatform(), 2), 1u);
  script({0b11});
  EXPECT_EQ(randomBelow(fakePlatform(), 2), 2u);
  EXPECT_EQ(fakeSystem().tickReads, 3u);
}

TEST_F(RandomBelowTest, StaysWithinTheLimitAndReachesBothEnds) {
  std::mt19937_64 random(7);
  for (std::uint32_t limit : {1u, 2u, 3u, 51u, 52u, 1023u, 1024u, 2651u, 137903u, 7171007u, 0x80000000u, 0xFFFFFFFFu}) {
    // The part masks add up to the limit, so all-ones bits give exactly the limit. Limits far
    // from a power of two split into many parts: 7171007 takes 170 bits.
    fakeSystem().ticks.assign(64, 1023);
    EXPECT_EQ(randomBelow(fakePlatform(), limit), limit);
    fakeSystem().ticks.clear();
    EXPECT_EQ(randomBelow(fakePlatform(), limit), 0u);
    for (int i = 0; i < 200; ++i) {
      for (int t = 0; t < 64; ++t) fakeSystem().ticks.push_back(random());
      EXPECT_LE(randomBelow(fakePlatform(), limit), limit);
      fakeSystem().ticks.clear();
    }
  }
  fakeSystem().tickReads = 0;
  randomBelow(fakePlatform(), 0xFFFFFFFFu);  // 32 bits in four reads
  EXPECT_EQ(fakeSystem().tickReads, 4u);
}

}  // namespace
}  // namespace qvmin
