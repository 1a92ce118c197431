#include "containers/taken_offsets.h"

#include <algorithm>
#include <bit>

namespace qvmin {
namespace {

constexpr std::uint32_t kBlockBits = 4096;
constexpr std::uint32_t kGroupBits = 512;
// Past this many entries the sorted list would outweigh the bit set.
constexpr std::size_t kSortedLimit = sizeof(TakenOffsetBits) / sizeof(std::uint16_t);

void setBit(TakenOffsetBits& bits, std::uint32_t offset) {
  bits.words[offset / 64] |= std::uint64_t{1} << (offset % 64);
  ++bits.takenPerBlock[offset / kBlockBits];
  ++bits.takenPerGroup[offset / kGroupBits];
}

std::unique_ptr<TakenOffsetBits> bitsFor(const std::vector<std::uint16_t>& sorted, std::uint32_t runSize) {
  auto bits = std::make_unique<TakenOffsetBits>();  // zeroed
  for (std::uint32_t offset = runSize; offset < kTakenOffsetsRun; ++offset) setBit(*bits, offset);
  for (std::uint16_t offset : sorted) setBit(*bits, offset);
  return bits;
}

// Position of the rank-th set bit of x, which has more than rank set bits.
std::uint32_t setBitAt(std::uint64_t x, std::uint32_t rank) {
  std::uint32_t position = 0;
  for (std::uint32_t width = 32; width != 0; width /= 2) {
    const auto low = static_cast<std::uint32_t>(std::popcount(x & ((std::uint64_t{1} << width) - 1)));
    if (rank >= low) {
      rank -= low;
      x >>= width;
      position += width;
    }
  }
  return position;
}

}  // namespace

void takeOffset(TakenOffsets& taken, std::uint32_t offset, std::uint32_t runSize) {
  if (taken.bits == nullptr && taken.sorted.size() < kSortedLimit) {
    taken.sorted.insert(std::lower_bound(taken.sorted.begin(), taken.sorted.end(), offset),
                        static_cast<std::uint16_t>(offset));
    return;
  }
  if (taken.bits == nullptr) {
    taken.bits = bitsFor(taken.sorted, runSize);
    taken.sorted = std::vector<std::uint16_t>();
  }
  setBit(*taken.bits, offset);
}

std::uint32_t freeOffsetAt(const TakenOffsets& taken, std::uint32_t rank) {
  if (taken.bits == nullptr) {
    // sorted[i] - i free offsets lie below sorted[i], and that grows with i: the answer is rank
    // plus the number of taken offsets with at most rank free ones below them.
    const std::vector<std::uint16_t>& sorted = taken.sorted;
    std::size_t low = 0;
    std::size_t high = sorted.size();
    while (low < high) {
      const std::size_t middle = (low + high) / 2;
      if (sorted[middle] - middle <= rank) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return rank + static_cast<std::uint32_t>(low);
  }
  const TakenOffsetBits& bits = *taken.bits;
  std::uint32_t block = 0;
  for (; rank >= kBlockBits - bits.takenPerBlock[block]; ++block) rank -= kBlockBits - bits.takenPerBlock[block];
  std::uint32_t group = block * (kBlockBits / kGroupBits);
  for (; rank >= kGroupBits - bits.takenPerGroup[group]; ++group) rank -= kGroupBits - bits.takenPerGroup[group];
  std::uint32_t word = group * (kGroupBits / 64);
  for (;; ++word) {
    const auto free = static_cast<std::uint32_t>(64 - std::popcount(bits.words[word]));
    if (rank < free) break;
    rank -= free;
  }
  return word * 64 + setBitAt(~bits.words[word], rank);
}

}  // namespace qvmin
