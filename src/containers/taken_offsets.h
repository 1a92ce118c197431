// TakenOffsets: which offsets of a run of up to 65,536 consecutive numbers have been taken out,
// and the k-th offset still free. A sorted list of taken offsets while that is smaller than a
// bit set of the whole run (2 bytes per offset taken), then the bit set. A run nobody takes from
// costs nothing, which is what lets a number range of hundreds of millions stay implicit.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace qvmin {

inline constexpr std::uint32_t kTakenOffsetsRun = 65536;

// Counts per 4,096 and per 512 bits, so that a lookup reads at most 16 + 8 counts and 8 words.
struct TakenOffsetBits {
  std::uint64_t words[kTakenOffsetsRun / 64];
  std::uint16_t takenPerBlock[kTakenOffsetsRun / 4096];
  std::uint16_t takenPerGroup[kTakenOffsetsRun / 512];
};

struct TakenOffsets {
  std::vector<std::uint16_t> sorted;       // ascending; unused once bits exist
  std::unique_ptr<TakenOffsetBits> bits;  // offsets at or past the run's size count as taken
};

// Marks a free offset below runSize as taken.
void takeOffset(TakenOffsets& taken, std::uint32_t offset, std::uint32_t runSize);

// The rank-th free offset (0 is the lowest); rank must be below the number of free offsets.
std::uint32_t freeOffsetAt(const TakenOffsets& taken, std::uint32_t rank);

}  // namespace qvmin
