#pragma once
// Records the largest single allocation (malloc, calloc, realloc, operator new) made while a probe is
// armed, in this test program, with or without a sanitizer. It is how the tests see that a length an
// input merely claims is never allocated.
#include <cstddef>

namespace hardening_test {

class AllocationProbe {
  public:
    // Starts recording from zero.
    AllocationProbe();
    // Stops recording.
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    // The largest block asked for since the probe was made.
    std::size_t largest() const;
    // Whether allocations can be seen in this build at all (false would make every check vacuous).
    static bool available();
};

}  // namespace hardening_test
