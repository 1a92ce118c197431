// printf-style messages to standard output through the platform.
#pragma once

#include "platform/platform.h"

namespace qvmin {

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void say(const Platform& platform, const char* format, ...);

}  // namespace qvmin
