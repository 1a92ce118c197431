#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace qvmin::fuzzing {

std::string capturePrinted(void (*printer)(const Platform&)) {
  std::string saved = std::move(memorySystem().printed);
  memorySystem().printed.clear();
  printer(memoryPlatform());
  std::string captured = std::move(memorySystem().printed);
  memorySystem().printed = std::move(saved);
  return captured;
}

void violated(const char* what, const std::string& detail) {
  std::fprintf(stderr, "\n*** property violated: %s\n", what);
  if (!detail.empty()) std::fprintf(stderr, "%s\n", detail.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace qvmin::fuzzing
