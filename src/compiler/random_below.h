// The random source of the generic name draw: bits taken from the low end of the tick counter.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace qvmin {

// A number from 0 to limit inclusive, built as a sum of parts whose masks of the form 2^k - 1
// add up to limit. Reads the counter once per 10 bits and never for limit 0. Not uniform.
std::uint32_t randomBelow(const Platform& platform, std::uint32_t limit);

}  // namespace qvmin
