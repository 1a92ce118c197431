// The fixed texts of the command line: banner and usage.
#pragma once

#include "platform/platform.h"

namespace qvmin {

void printBanner(const Platform& platform);
void printUsage(const Platform& platform);

}  // namespace qvmin
