#include "heap_counter.h"

#include <cstdlib>
#include <new>

// Every allocation carries its size in a header so that unsized deletes can be counted.
// The header keeps the alignment of max_align_t.

namespace velomar::bench {
namespace {

constexpr std::size_t kHeader = alignof(std::max_align_t);
static_assert(kHeader >= sizeof(std::size_t));

// Single-threaded benchmarks: plain counters keep the counting itself cheap.
HeapCounts g_counts;

void* allocate(std::size_t size) {
    void* raw = std::malloc(size + kHeader);
    if (raw == nullptr) {
        return nullptr;
    }
    *static_cast<std::size_t*>(raw) = size;
    g_counts.live += size;
    g_counts.allocated += size;
    ++g_counts.allocations;
    if (g_counts.live > g_counts.peak) {
        g_counts.peak = g_counts.live;
    }
    return static_cast<char*>(raw) + kHeader;
}

void release(void* p) {
    if (p == nullptr) {
        return;
    }
    void* raw = static_cast<char*>(p) - kHeader;
    g_counts.live -= *static_cast<std::size_t*>(raw);
    std::free(raw);
}

void* allocateOrThrow(std::size_t size) {
    void* p = allocate(size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

}  // namespace

HeapCounts CurrentHeapCounts() {
    return g_counts;
}

void ResetHeapPeak() {
    g_counts.peak = g_counts.live;
}

HeapMark::HeapMark() {
    ResetHeapPeak();
    m_start = g_counts;
}

std::size_t HeapMark::allocatedBytes() const {
    return g_counts.allocated - m_start.allocated;
}

std::size_t HeapMark::allocationCount() const {
    return g_counts.allocations - m_start.allocations;
}

std::size_t HeapMark::peakAboveStart() const {
    return g_counts.peak - m_start.live;
}

}  // namespace velomar::bench

void* operator new(std::size_t size) {
    return velomar::bench::allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return velomar::bench::allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return velomar::bench::allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return velomar::bench::allocate(size);
}
void operator delete(void* p) noexcept {
    velomar::bench::release(p);
}
void operator delete[](void* p) noexcept {
    velomar::bench::release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    velomar::bench::release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    velomar::bench::release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    velomar::bench::release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    velomar::bench::release(p);
}
