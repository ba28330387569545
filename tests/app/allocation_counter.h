#pragma once

#include <atomic>

namespace velmora::testing {

extern std::atomic<bool> counting_allocations;
extern std::atomic<long> allocations;

// Counts the C++ allocations made while it lives.
class AllocationCount {
public:
    AllocationCount() {
        allocations = 0;
        counting_allocations = true;
    }
    ~AllocationCount() { counting_allocations = false; }
    long so_far() const { return allocations; }
};

}  // namespace velmora::testing
