// The random source of the generic name draw: bits taken from the low end of the tick counter,
// or of a seeded generator that stands in for it when runs must be reproducible.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace qvmin {

// SplitMix64: adds 0x9E3779B97F4A7C15 to the state and returns the state mixed by
// z ^= z >> 30; z *= 0xBF58476D1CE4E5B9; z ^= z >> 27; z *= 0x94D049BB133111EB; z ^= z >> 31.
// Fixed arithmetic on 64-bit words, so every machine gives the same sequence for a seed.
std::uint64_t splitMix64(std::uint64_t& state);

// Where the draw's ticks come from: the platform's counter, or SplitMix64 seeded by /seed.
struct TickSource {
  const Platform& platform;
  std::optional<std::uint64_t> seededState;

  std::uint64_t next() { return seededState ? splitMix64(*seededState) : platform.ticks(); }
};

// A number from 0 to limit inclusive, built as a sum of parts whose masks of the form 2^k - 1
// add up to limit. Reads the counter once per 10 bits and never for limit 0. Not uniform.
std::uint32_t randomBelow(TickSource& source, std::uint32_t limit);
inline std::uint32_t randomBelow(const Platform& platform, std::uint32_t limit) {
  TickSource counter{platform, std::nullopt};
  return randomBelow(counter, limit);
}

}  // namespace qvmin
