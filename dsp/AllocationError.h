#pragma once

#include <cstdint>
#include <new>

// Raised by the constructors of the filter blocks when their storage cannot be obtained.
// It carries the integer -1 that callers test for; it is also a std::bad_alloc.
class AllocationError : public std::bad_alloc {
public:
    std::int32_t code() const noexcept { return -1; }
    const char* what() const noexcept override { return "filter storage could not be allocated"; }
};
