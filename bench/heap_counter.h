// Heap accounting for the benchmarks' peak-memory counters: replaces the global
// operator new and delete, so include it in exactly one file of a benchmark program.
#pragma once
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> liveBytes{0}, peakBytes{0};
}
void* operator new(size_t size) {
    void* p = std::malloc(size + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<size_t*>(p) = size;
    size_t now = liveBytes += size;
    size_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {}
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
