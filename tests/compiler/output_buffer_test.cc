// A kept copy holds exactly the bytes its mask keeps.
#include "compiler/output_buffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace qvmin {
namespace {

TEST(OutputBuffer, AKeptCopyHoldsTheKeptBytesInOrder) {
  std::string bytes(80, 0);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('!' + i);
  std::mt19937_64 random(7);
  for (int round = 0; round < 2000; ++round) {
    // Sparse, dense and long-run masks alike.
    std::uint64_t keep = random();
    if (round % 3 == 1) keep |= random();
    if (round % 3 == 2) keep = ~std::uint64_t{0} << (round % 64) >> (round % 7);
    std::string want;
    for (int at = 0; at < 64; ++at) {
      if ((keep >> at) & 1) want += bytes[static_cast<std::size_t>(at)];
    }
    char8_t to[64 + 16];
    const char8_t* end = copyKeptBytes(to, reinterpret_cast<const unsigned char*>(bytes.data()), keep);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(to), static_cast<std::size_t>(end - to)), want) << keep;
  }
}

}  // namespace
}  // namespace qvmin
