// Heap accounting for the benchmarks' peak-memory counters: replaces the global
// operator new and delete, so include it in exactly one file of a benchmark program.
#pragma once
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <cstdlib>
#include <new>

// Per thread and plain: the benchmarks allocate and free on their own thread, and
// atomic updates cost the allocation-heavy code under test a tenth of its time.
namespace {
thread_local size_t liveBytes = 0, peakBytes = 0;
}
void* operator new(size_t size) {
    void* p = std::malloc(size + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<size_t*>(p) = size;
    liveBytes += size;
    if (liveBytes > peakBytes) peakBytes = liveBytes;
    return static_cast<char*>(p) + 16;
}
// Not inlined: where GCC sees a delete next to its new it takes the header read below
// for a read before the object (-Warray-bounds).
__attribute__((noinline)) void operator delete(void* p) noexcept {
    if (!p) return;
    char* base = static_cast<char*>(p) - 16;
    liveBytes -= *reinterpret_cast<size_t*>(base);
    std::free(base);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
