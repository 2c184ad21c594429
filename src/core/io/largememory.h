#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace sortivo
{

// Memory for the large arrays a long list needs, asked for in huge pages where the system
// allows it. The kernel hands a process fresh memory a page at a time, and on a virtual machine
// each 4 KiB page can cost several microseconds: a million entries' arrays would take thousands
// of such faults, where huge pages take a handful. Small requests go to the usual allocator.
template <typename T> struct LargeMemory {
    using value_type = T;

    LargeMemory() = default;
    template <typename U> LargeMemory(const LargeMemory<U>&) noexcept {}

    static constexpr std::size_t hugePage = std::size_t(2) << 20;

    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < hugePage / 2)
            return static_cast<T*>(::operator new(bytes));
        // Whole huge pages, so that the advice covers all of it.
        const std::size_t rounded = (bytes + hugePage - 1) & ~(hugePage - 1);
        void* memory = std::aligned_alloc(hugePage, rounded);
        if (!memory)
            throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        // Only advice: nothing changes where it is refused.
        ::madvise(memory, rounded, MADV_HUGEPAGE);
#endif
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t n) noexcept
    {
        if (n * sizeof(T) < hugePage / 2)
            ::operator delete(memory);
        else
            std::free(memory);
    }

    template <typename U> bool operator==(const LargeMemory<U>&) const noexcept
    {
        return true;
    }
};

} // namespace sortivo
