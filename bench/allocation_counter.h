#pragma once

#include <cstdint>

namespace tarnwick_bench {

// Heap allocations made by the whole process so far, on every thread. Read it
// before and after a call to see what the call allocated.
std::uint64_t AllocationCount();

// What the count covers: "malloc" when every allocation of the process is
// seen (the C allocations of the physics engine included), "operator new"
// when only C++ allocations are.
const char* AllocationSource();

} // namespace tarnwick_bench
