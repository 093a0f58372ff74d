// Counts heap allocations by replacing the allocator entry points in the
// benchmark program. The physics engine allocates with C's malloc, so on glibc
// malloc itself is replaced, forwarding to glibc's own implementation; C++'s
// operator new goes through malloc there and is counted as well. Elsewhere, and
// under a sanitizer (which owns malloc), only operator new is replaced.

#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNWICK_BENCH_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TARNWICK_BENCH_SANITIZED 1
#endif

#if defined(__GLIBC__) && !defined(TARNWICK_BENCH_SANITIZED)
#define TARNWICK_BENCH_COUNTS_MALLOC 1
#endif

namespace {

std::atomic<std::uint64_t> g_allocations{0};

void Count() {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

namespace tarnwick_bench {

std::uint64_t AllocationCount() {
    return g_allocations.load(std::memory_order_relaxed);
}

#ifdef TARNWICK_BENCH_COUNTS_MALLOC
const char* AllocationSource() {
    return "malloc";
}
#else
const char* AllocationSource() {
    return "operator new";
}
#endif

} // namespace tarnwick_bench

#ifdef TARNWICK_BENCH_COUNTS_MALLOC

extern "C" {

void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);

void* malloc(std::size_t size) noexcept {
    Count();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    Count();
    return __libc_calloc(count, size);
}

// Growing a block in place still asks the allocator for memory, so it counts.
void* realloc(void* pointer, std::size_t size) noexcept {
    Count();
    return __libc_realloc(pointer, size);
}

void free(void* pointer) noexcept {
    __libc_free(pointer);
}

} // extern "C"

#else

void* operator new(std::size_t size) {
    Count();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* pointer) noexcept {
    std::free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    std::free(pointer);
}

#endif
