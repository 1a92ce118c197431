// What the fuzz targets share: the in-memory platform and a way to stop on a broken property.
#pragma once

#include <string>

#include "platform/memory_platform.h"

namespace qvmin::fuzzing {

using qvmin::MemoryDescriptor;
using qvmin::MemorySystem;
using qvmin::memoryPlatform;
using qvmin::memorySystem;
using qvmin::resetMemorySystem;

// Everything the platform prints, collected into a text (for expected messages).
std::string capturePrinted(void (*printer)(const Platform&));

// Stops the fuzzer with a message when a property does not hold.
[[noreturn]] void violated(const char* what, const std::string& detail = {});
inline void require(bool holds, const char* what, const std::string& detail = {}) {
  if (!holds) violated(what, detail);
}

}  // namespace qvmin::fuzzing
