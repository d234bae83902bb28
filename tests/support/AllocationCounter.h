#pragma once

#include <cstddef>

// Counts calls of the global operator new in this test program, so a test can prove that a
// stretch of code (an audio callback) allocates nothing.
namespace allocation_counter {

std::size_t count();

// Counts the allocations made while it lives.
class Scope {
public:
    Scope() : start(count()) {}
    std::size_t allocations() const { return count() - start; }

private:
    std::size_t start;
};

}  // namespace allocation_counter
