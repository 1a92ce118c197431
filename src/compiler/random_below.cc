#include "compiler/random_below.h"

namespace qvmin {

std::uint64_t splitMix64(std::uint64_t& state) {
  state += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint32_t randomBelow(TickSource& source, std::uint32_t limit) {
  if (limit == 0) return 0;
  std::uint32_t width = 1;
  std::uint32_t topBit = 1;
  std::uint32_t mask = 1;
  while (mask < limit) {
    topBit <<= 1;
    mask += topBit;
    ++width;
  }

  std::uint32_t result = 0;
  std::uint32_t remaining = limit;
  std::uint32_t supply = 0;
  std::uint32_t supplyBits = 0;  // the supply lasts for this call only
  while (remaining != 0) {
    while (mask > remaining) {
      mask -= topBit;
      --width;
      topBit >>= 1;
    }
    std::uint32_t part = 0;
    for (std::uint32_t bit = 0; bit < width; ++bit) {
      if (supplyBits == 0) {
        // Only the low bits of the counter change fast enough between reads.
        supply = static_cast<std::uint32_t>(source.next() & 1023);
        supplyBits = 10;
      }
      part = (part << 1) | (supply & 1);
      supply >>= 1;
      --supplyBits;
    }
    result += part;
    remaining -= mask;
  }
  return result;
}

}  // namespace qvmin
