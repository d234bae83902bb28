#include <gtest/gtest.h>

#include <vector>

#include "dsp/LookaheadCompressor.h"
#include "tests/support/AllocationCounter.h"

namespace {

TEST(CompressorAllocationTest, ProcessAllocatesNothingOnEitherPath) {
    LookaheadCompressor c(2, 44100.0f, 3.0f, -30.0f, 90, 0.0f, 256);
    std::vector<float> left(1024, 0.25f), right(1024, -0.5f), outLeft(1024), outRight(1024);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    const allocation_counter::Scope allocations;
    c.process(in, out, 1024);
    c.process(in, in, 1024);
    c.process(in, out, 50);
    c.setThreshold(-60.0f);
    c.setKick(1.0f);
    c.process(in, out, 1024);
    EXPECT_EQ(allocations.allocations(), 0u);
    // The counter sees allocations at all.
    auto* probe = new std::vector<float>(8);
    delete probe;
    EXPECT_GT(allocations.allocations(), 0u);
}

}  // namespace
