#include "platform/FreedMemory.h"

#include <cstddef>
#include <cstdint>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

void returnFreedMemory() {
    malloc_trim(0);
}

void preferLargeHeap() {
    constexpr std::size_t kLargePage = std::size_t{2} << 20;
    constexpr int kStep = 64 << 20;
    // Blocks of up to a few megabytes come from the heap, where freed ones are used again, rather than from
    // mappings of their own that each cost new memory; larger ones keep their own mappings, which grow without
    // leaving gaps. The heap is not given back while the process lives.
    constexpr int kOwnMappingFrom = 16 << 20;
    mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
    mallopt(M_TRIM_THRESHOLD, 2 * kStep);
    mallopt(M_TOP_PAD, kStep);
    auto* const start = static_cast<char*>(sbrk(0));
    // The heap takes its step now; a block freed at once would be elided by the compiler.
    void* volatile block = malloc(kLargePage);
    free(block);
    const auto* const end = static_cast<char*>(sbrk(0));
    const std::size_t misaligned = reinterpret_cast<std::uintptr_t>(start) % kLargePage;
    char* const first = misaligned == 0 ? start : start + (kLargePage - misaligned);
    const std::ptrdiff_t wholePages = (end - first) / std::ptrdiff_t{kLargePage};
    if (wholePages > 0)
        madvise(first, static_cast<std::size_t>(wholePages) * kLargePage, MADV_HUGEPAGE);
}
