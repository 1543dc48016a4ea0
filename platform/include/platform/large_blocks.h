// Memory for large buffers and tables: blocks of 2 MB and more are aligned to huge pages
// and asked to be backed by them, so that filling one costs a few page faults instead
// of one per 4 KB.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace platform_detail {

void* AllocateBlock(size_t bytes);
void FreeBlock(void* p, size_t bytes) noexcept;  // with the size it was allocated with

// An allocator of such blocks whose resize leaves new items as they are, so a buffer
// about to be filled is not cleared first.
template <class T> struct UninitAllocator {
    using value_type = T;
    template <class U> struct rebind {
        using other = UninitAllocator<U>;
    };
    UninitAllocator() = default;
    template <class U> UninitAllocator(const UninitAllocator<U>&) noexcept {}
    T* allocate(size_t n) {
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(AllocateBlock(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { FreeBlock(p, n * sizeof(T)); }
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
    template <class U> bool operator==(const UninitAllocator<U>&) const noexcept { return true; }
};

using Bytes = std::vector<unsigned char, UninitAllocator<unsigned char>>;

}  // namespace platform_detail
