// Memory for millions of small records at once. Touching hundreds of megabytes page by page
// costs more than filling them, so the system is asked for huge pages where it has them.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace qvmin {

struct LargeMemoryRelease {
  void operator()(void* memory) const { std::free(memory); }
};

// Uninitialised storage for `bytes` bytes, aligned for any record. Like operator new, it calls
// the new-handler (or throws std::bad_alloc) when no memory is left.
void* allocateLarge(std::size_t bytes);

template <typename T>
using LargeArray = std::unique_ptr<T[], LargeMemoryRelease>;

template <typename T>
LargeArray<T> allocateLargeArray(std::size_t count) {
  return LargeArray<T>(static_cast<T*>(allocateLarge(sizeof(T) * count)));
}

}  // namespace qvmin
