#include "platform/FreedMemory.h"

#include <cstddef>
#include <cstdint>
#include <latch>
#include <malloc.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
// The allocator gives a thread that allocates while the other heaps are taken a heap of its own, this large and
// aligned to its size. The heap outlives the thread and waits for the next thread that starts.
constexpr std::uintptr_t kThreadHeap = std::uintptr_t{64} << 20;
// How many helper threads a run keeps busy at once, at most: the reading of the history beside the work of the
// plan, its checks and the writing of the journal.
constexpr int kHelperHeaps = 3;

// Takes a heap's free memory from next, where the allocator wrote before the heap was advised for large pages,
// to just before the next large page, and never touches it, which costs no memory: the rest of the large page
// next lies in would come in small pages. The allocator's note of the free memory after the block stays in
// front of the large page, which is first touched when a block that reaches into it is used.
void skipToLargePage(const char* next) {
    constexpr std::size_t kNote = 64;
    const std::size_t room = kLargePage - reinterpret_cast<std::uintptr_t>(next) % kLargePage;
    if (room <= 2 * kNote)
        return;
    void* volatile untouched = malloc(room - 2 * kNote);
    static_cast<void>(untouched);
}

// The threads that have the helpers' heaps made, until awaitHelperHeaps() has waited for them. Where nobody
// waits, they are left in place, and no thread is ended at exit.
struct HeapMakers {
    std::latch together{kHelperHeaps};
    std::vector<std::thread> threads;
};
HeapMakers* g_heapMakers = nullptr;

// Has that many heaps made, each advised for large pages as the main heap is, while the calling thread goes on: a
// helper that builds half a plan or numbers its places then touches its new memory in large pages too.
void adviseHelperHeaps() {
    auto* const makers = new HeapMakers;
    g_heapMakers = makers;
    makers->threads.reserve(kHelperHeaps);
    for (int i = 0; i < kHelperHeaps; ++i) {
        makers->threads.emplace_back([makers] {
            void* volatile block = malloc(1);
            auto* const at = static_cast<char*>(block);
            madvise(at - reinterpret_cast<std::uintptr_t>(at) % kThreadHeap, kThreadHeap, MADV_HUGEPAGE);
            skipToLargePage(at);
            // Each thread holds its heap until all have one, so that no two share.
            makers->together.arrive_and_wait();
            free(block);
        });
    }
}

} // namespace

void returnFreedMemory() {
    malloc_trim(0);
}

void preferLargeHeap() {
    constexpr int kStep = 64 << 20;
    // Blocks of up to a few megabytes come from the heap, where freed ones are used again, rather than from
    // mappings of their own that each cost new memory; larger ones keep their own mappings, which grow without
    // leaving gaps. The heap is not given back while the process lives.
    constexpr int kOwnMappingFrom = 16 << 20;
    mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
    mallopt(M_TRIM_THRESHOLD, 2 * kStep);
    mallopt(M_TOP_PAD, kStep);
    auto* const start = static_cast<char*>(sbrk(0));
    // The heap takes its step now, for a block that is kept and never touched.
    void* volatile block = malloc(kLargePage);
    const auto* const end = static_cast<char*>(sbrk(0));
    const std::size_t misaligned = reinterpret_cast<std::uintptr_t>(start) % kLargePage;
    char* const first = misaligned == 0 ? start : start + (kLargePage - misaligned);
    const std::ptrdiff_t wholePages = (end - first) / std::ptrdiff_t{kLargePage};
    if (wholePages > 0)
        madvise(first, static_cast<std::size_t>(wholePages) * kLargePage, MADV_HUGEPAGE);
    // The allocator wrote where the heap's free memory now begins, just after the block.
    skipToLargePage(static_cast<const char*>(block) + kLargePage);
    adviseHelperHeaps();
}

void awaitHelperHeaps() {
    HeapMakers* const makers = std::exchange(g_heapMakers, nullptr);
    if (makers == nullptr)
        return;
    // A heap is free for the next thread once the thread that made it has ended.
    for (std::thread& thread : makers->threads)
        thread.join();
    delete makers;
}
