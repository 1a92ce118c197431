// The entry operation: banner, options, checks, settings echo, the phases in their fixed
// order, closing lines and exit status.
#pragma once

#include "platform/platform.h"

namespace qvmin {

// Returns the process exit status: 0 after success or the usage text, 1 after any failure.
int runQvmin(const Platform& platform, int argc, const char* const* argv);

}  // namespace qvmin
