#include "common/QVRMemory.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

}  // namespace

void QVRMemory::adviseLargePages(void* buffer, std::size_t size) {
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
  const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kLargePage - 1);
  if (!buffer || last <= first) return;
#ifdef MADV_HUGEPAGE
  // Advice only: where the kernel has no large pages for us, the buffer stays as it was.
  (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}
