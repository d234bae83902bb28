#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "dsp/AllocationError.h"
#include "dsp/BiquadSection.h"
#include "dsp/ButterworthHighPass.h"
#include "dsp/ButterworthLowPass.h"
#include "dsp/FirFilter.h"
#include "dsp/FirHighPass.h"
#include "dsp/FirKernelBank.h"
#include "tests/support/AllocationCounter.h"

namespace {

class FilterAllocationTest : public ::testing::Test {
protected:
    void TearDown() override { allocation_counter::failNth(0); }
};

TEST_F(FilterAllocationTest, ProcessingAllocatesNothing) {
    ButterworthHighPass band2HighPass(2, 3400.0, 96000.0, 6);
    ButterworthLowPass band2LowPass(2, 10000.0, 96000.0, 6);
    ButterworthHighPass harmonicHighPass(2, 10986.0, 96000.0, 8);
    ButterworthLowPass longCascade(2, 1000.0, 96000.0, 12);
    BiquadSection identity(2);
    FirKernelBank bank(96000.0);
    FirHighPass freqFilter(2, bank.fullLength(0), 512);
    FirFilter generic(2, 16, 512);
    std::vector<float> left(2048, 0.25f), right(2048, -0.5f);
    const float* in[] = {left.data(), right.data()};
    float* out[] = {left.data(), right.data()};

    const long before = static_cast<long>(allocation_counter::count());
    for (std::int32_t frames : {1, 7, 512, 2048}) {
        band2HighPass.process(in, out, frames);
        band2LowPass.process(in, out, frames);
        harmonicHighPass.process(in, out, frames);
        longCascade.process(in, out, frames);
        identity.process(in, out, frames);
        std::int32_t length = 0;
        const double* kernel = bank.kernel(static_cast<std::int32_t>(frames % 7), length);
        freqFilter.setKernel(kernel, length, (bank.fullLength(0) - length) / 2);
        freqFilter.process(in, out, frames);
        freqFilter.processAdd(in, out, frames);
        generic.process(in, out, frames);
        generic.processAddAt(in, 0, out, 0, frames);
    }
    EXPECT_EQ(static_cast<long>(allocation_counter::count()), before);
}

// Fails each allocation of a construction in turn; every failure must surface as the -1
// error and leave nothing behind (the sanitizer build checks for leaks).
template <typename Make>
void expectEveryFailureRaisesMinusOne(Make make) {
    const long before = static_cast<long>(allocation_counter::count());
    make();
    const long needed = static_cast<long>(allocation_counter::count()) - before;
    ASSERT_GT(needed, 0);
    for (long n = 1; n <= needed; ++n) {
        allocation_counter::failNth(n);
        try {
            make();
            ADD_FAILURE() << "allocation " << n << " failed silently";
        } catch (const AllocationError& error) {
            EXPECT_EQ(error.code(), -1);
        }
        allocation_counter::failNth(0);
    }
}

TEST_F(FilterAllocationTest, ASectionWithoutStorageRaisesMinusOne) {
    expectEveryFailureRaisesMinusOne([] { BiquadSection section(2); });
}

TEST_F(FilterAllocationTest, ACascadeWithoutStorageRaisesMinusOne) {
    expectEveryFailureRaisesMinusOne([] { ButterworthHighPass filter(2, 10986.0, 44100.0, 8); });
    expectEveryFailureRaisesMinusOne([] { ButterworthLowPass filter(1, 6667.0, 48000.0, 6); });
}

TEST_F(FilterAllocationTest, AnFirFilterWithoutStorageRaisesMinusOne) {
    expectEveryFailureRaisesMinusOne([] { FirHighPass filter(2, 39, 512); });
    expectEveryFailureRaisesMinusOne([] { FirFilter filter(3, 9, 64); });
}

}  // namespace
