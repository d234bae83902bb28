#pragma once

#include <cstddef>

// Counts calls of the global operator new in this test program, so a test can prove that a
// stretch of code (an audio callback) allocates nothing, and can make a chosen allocation fail.
namespace allocation_counter {

std::size_t count();

// The n-th allocation from now (1 = the next one) fails as if memory ran out; 0 disarms.
void failNth(long n);

// Counts the allocations made while it lives.
class Scope {
public:
    Scope() : start(count()) {}
    std::size_t allocations() const { return count() - start; }

private:
    std::size_t start;
};

}  // namespace allocation_counter
