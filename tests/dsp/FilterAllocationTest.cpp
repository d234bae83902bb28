#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "dsp/AllocationError.h"
#include "dsp/BiquadSection.h"
#include "dsp/ButterworthHighPass.h"
#include "dsp/ButterworthLowPass.h"
#include "dsp/FirFilter.h"
#include "dsp/FirHighPass.h"
#include "dsp/FirKernelBank.h"

// Every allocation of this test program goes through here, so a test can count them or make
// the n-th one from now fail.
namespace {
std::atomic<long> allocationCount{0};
std::atomic<long> failCountdown{0};

void* allocate(std::size_t size) {
    if (failCountdown.load() > 0 && failCountdown.fetch_sub(1) == 1) throw std::bad_alloc();
    ++allocationCount;
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class FilterAllocationTest : public ::testing::Test {
protected:
    void TearDown() override { failCountdown = 0; }
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

    const long before = allocationCount.load();
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
    EXPECT_EQ(allocationCount.load(), before);
}

// Fails each allocation of a construction in turn; every failure must surface as the -1
// error and leave nothing behind (the sanitizer build checks for leaks).
template <typename Make>
void expectEveryFailureRaisesMinusOne(Make make) {
    const long before = allocationCount.load();
    make();
    const long needed = allocationCount.load() - before;
    ASSERT_GT(needed, 0);
    for (long n = 1; n <= needed; ++n) {
        failCountdown = n;
        try {
            make();
            ADD_FAILURE() << "allocation " << n << " failed silently";
        } catch (const AllocationError& error) {
            EXPECT_EQ(error.code(), -1);
        }
        failCountdown = 0;
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
