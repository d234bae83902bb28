#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "dsp/LookaheadCompressor.h"

namespace {
std::atomic<long> allocationCount{0};
}

// The replacement pair below allocates with malloc and frees with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(CompressorAllocationTest, ProcessAllocatesNothingOnEitherPath) {
    LookaheadCompressor c(2, 44100.0f, 3.0f, -30.0f, 90, 0.0f, 256);
    std::vector<float> left(1024, 0.25f), right(1024, -0.5f), outLeft(1024), outRight(1024);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    const long before = allocationCount;
    c.process(in, out, 1024);
    c.process(in, in, 1024);
    c.process(in, out, 50);
    c.setThreshold(-60.0f);
    c.setKick(1.0f);
    c.process(in, out, 1024);
    EXPECT_EQ(allocationCount - before, 0);
    // The counter sees allocations at all.
    auto* probe = new std::vector<float>(8);
    delete probe;
    EXPECT_GT(allocationCount - before, 0);
}

}  // namespace
