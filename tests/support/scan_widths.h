// The scan widths a test can force in this build and on this processor, and a guard that forces
// one for a scope.
#pragma once

#include <vector>

#include "compiler/byte_skips.h"

namespace qvmin::testing {

// The byte loop first, then every wider width up to the widest (the build that has the byte
// loop alone is compared with this one by the end-to-end tests).
inline std::vector<ScanWidth> availableWidths() {
  std::vector<ScanWidth> widths{ScanWidth::kScalar};
  for (ScanWidth width : {ScanWidth::kSse2, ScanWidth::kAvx2, ScanWidth::kAvx512}) {
    if (width <= widestScanWidth()) widths.push_back(width);
  }
  return widths;
}

struct WidthGuard {
  explicit WidthGuard(ScanWidth width) : saved(activeScanWidth) { activeScanWidth = width; }
  ~WidthGuard() { activeScanWidth = saved; }
  WidthGuard(const WidthGuard&) = delete;
  WidthGuard& operator=(const WidthGuard&) = delete;
  ScanWidth saved;
};

}  // namespace qvmin::testing
