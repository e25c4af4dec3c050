// Heap accounting for the benchmarks' peak-memory counters: replaces the global
// operator new and delete, so include it in exactly one file of a benchmark program.
#pragma once
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <new>

// Per thread and plain: the benchmarks allocate and free on their own thread, and
// atomic updates cost the allocation-heavy code under test a tenth of its time. A
// block counts at the size the heap gave it, read back from the heap: a size header
// of our own would move every block into a larger size class, so that the code under
// test touched memory the program proper never does. The counts are differences:
// blocks made before counting began subtract when freed.
namespace {
bool countingHeap = false;  // set before a benchmark that reads the counts
thread_local int64_t liveBytes = 0, peakBytes = 0;
}
void* operator new(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    if (countingHeap) {
        liveBytes += static_cast<int64_t>(malloc_usable_size(p));
        if (liveBytes > peakBytes) peakBytes = liveBytes;
    }
    return p;
}
void operator delete(void* p) noexcept {
    if (countingHeap && p) liveBytes -= static_cast<int64_t>(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
