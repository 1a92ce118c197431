#include "platform/large_memory.h"

#include <sys/mman.h>

#include <new>

namespace qvmin {

void* allocateLarge(std::size_t bytes) {
  constexpr std::size_t kHugePage = 2 * 1024 * 1024;
  const bool huge = bytes >= kHugePage;
  const std::size_t alignment = huge ? kHugePage : alignof(std::max_align_t);
  const std::size_t rounded = (bytes + alignment - 1) / alignment * alignment;
  for (;;) {
    void* memory = std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded);
    if (memory != nullptr) {
#if defined(MADV_HUGEPAGE)
      if (huge) ::madvise(memory, rounded, MADV_HUGEPAGE);
#endif
      return memory;
    }
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

}  // namespace qvmin
