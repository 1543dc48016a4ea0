#include "platform/large_blocks.h"

#include <sys/mman.h>

#include <cstdlib>

namespace platform_detail {

namespace {
constexpr size_t kHugePage = size_t(2) << 20;
}

void* AllocateBlock(size_t bytes) {
    if (bytes < kHugePage) return ::operator new(bytes);
    const size_t size = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    if (size < bytes) throw std::bad_alloc();
    void* p = std::aligned_alloc(kHugePage, size);
    if (!p) throw std::bad_alloc();
    ::madvise(p, size, MADV_HUGEPAGE);
    return p;
}

void FreeBlock(void* p, size_t bytes) noexcept {
    if (!p) return;
    if (bytes < kHugePage) ::operator delete(p);
    else std::free(p);
}

}  // namespace platform_detail
