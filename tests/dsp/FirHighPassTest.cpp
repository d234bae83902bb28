#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/FirFilter.h"
#include "dsp/FirHighPass.h"
#include "dsp/FirKernelBank.h"
#include "tests/dsp/FilterReference.h"
#include "tests/dsp/InstructionSets.h"

namespace {

std::vector<float> floatKernel(const double* kernel, std::int32_t length) {
    return std::vector<float>(kernel, kernel + length);
}

// Runs a one-channel filter over the signal in the given pieces.
std::vector<float> run(FirFilter& filter, const std::vector<float>& signal,
                       const std::vector<std::int32_t>& pieces) {
    std::vector<float> out(signal.size());
    std::size_t done = 0;
    for (std::int32_t piece : pieces) {
        const float* in[] = {signal.data() + done};
        float* o[] = {out.data() + done};
        filter.process(in, o, piece);
        done += piece;
    }
    return out;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class FirHighPassTest : public ::testing::Test {
protected:
    FirKernelBank bank{44100.0};
};

TEST_F(FirHighPassTest, CentreTapArrivesHalfALengthLate) {
    std::int32_t length = 0;
    const double* kernel = bank.kernel(2, length);
    ASSERT_EQ(length, 31);
    const std::int32_t maxLength = bank.fullLength(0);
    FirHighPass filter(1, maxLength, 512);
    ASSERT_TRUE(filter.setKernel(kernel, length, (maxLength - length) / 2));
    std::vector<float> impulse(64, 0.0f);
    impulse[0] = 1.0f;
    const std::vector<float> out = run(filter, impulse, {64});
    EXPECT_EQ(out[19], 0.87584281f);
    for (std::int32_t k = 1; k <= 15; ++k) {
        EXPECT_EQ(out[19 - k], out[19 + k]) << k;
        EXPECT_EQ(out[19 - k], static_cast<float>(kernel[15 - k])) << k;
    }
    for (std::int32_t n = 0; n < 4; ++n) EXPECT_EQ(out[n], 0.0f) << n;
    for (std::int32_t n = 35; n < 64; ++n) EXPECT_EQ(out[n], 0.0f) << n;
}

TEST_F(FirHighPassTest, EveryKernelOfEveryRateIsCentredOnTheSameDelay) {
    for (double fs : {44100.0, 48000.0, 88200.0, 96000.0}) {
        FirKernelBank rateBank(fs);
        const std::int32_t maxLength = rateBank.fullLength(0);
        const std::int32_t delay = (maxLength + 1) / 2 - 1;
        for (std::int32_t index = 0; index < FirKernelBank::kernelCount; ++index) {
            std::int32_t length = 0;
            const double* kernel = rateBank.kernel(index, length);
            FirHighPass filter(1, maxLength, 64);
            ASSERT_TRUE(filter.setKernel(kernel, length, (maxLength - length) / 2));
            std::vector<float> impulse(256, 0.0f);
            impulse[0] = 1.0f;
            const std::vector<float> out = run(filter, impulse, {64, 64, 64, 64});
            EXPECT_EQ(out[delay], static_cast<float>(kernel[(length - 1) / 2]))
                << fs << " Hz index " << index;
        }
    }
}

TEST_F(FirHighPassTest, FoldedSumEqualsThePlainConvolutionUpToRounding) {
    const std::vector<float> signal = reference::noise(3000, 81, 1.0f);
    for (std::int32_t index = 0; index < FirKernelBank::kernelCount; ++index) {
        std::int32_t length = 0;
        const double* kernel = bank.kernel(index, length);
        const std::int32_t offset = (39 - length) / 2;
        FirHighPass filter(1, 39, 512);
        filter.setKernel(kernel, length, offset);
        const std::vector<float> out = run(filter, signal, {1000, 1000, 1000});
        const std::vector<float> plain =
            reference::convolve(floatKernel(kernel, length), offset, signal);
        for (std::size_t n = 0; n < signal.size(); ++n) ASSERT_NEAR(out[n], plain[n], 1e-6) << n;
    }
}

// On every kernel path the machine runs.
TEST_F(FirHighPassTest, FoldsBitIdenticalToTheOneSampleAtATimeSum) {
    const std::vector<float> signal = reference::noise(5000, 82);
    for (InstructionSet set : instruction_sets::runnable()) {
        SCOPED_TRACE(instructionSetName(set));
        const instruction_sets::Scope scope(set);
        for (std::int32_t index = 0; index < FirKernelBank::kernelCount; ++index) {
            std::int32_t length = 0;
            const double* kernel = bank.kernel(index, length);
            const std::int32_t offset = (39 - length) / 2;
            FirHighPass filter(1, 39, 256);
            filter.setKernel(kernel, length, offset);
            const std::vector<float> out =
                run(filter, signal, reference::pieceSizes(signal.size(), 83));
            const std::vector<float> h = floatKernel(kernel, length);
            for (std::size_t n = 0; n < signal.size(); ++n) {
                ASSERT_EQ(out[n], reference::foldedSample(h, offset, signal, n))
                    << index << ", " << n;
            }
        }
    }
}

TEST_F(FirHighPassTest, OneCallAndPiecesOfAnySizeGiveIdenticalOutput) {
    std::int32_t length = 0;
    const double* kernel = bank.kernel(0, length);
    const std::vector<float> signal = reference::noise(8000, 84);
    FirHighPass whole(1, 39, 512), split(1, 39, 512);
    whole.setKernel(kernel, length, 0);
    split.setKernel(kernel, length, 0);
    // One call longer than the block size runs in pieces of the block size inside.
    const std::vector<float> a = run(whole, signal, {8000});
    const std::vector<float> b = run(split, signal, reference::pieceSizes(signal.size(), 85));
    EXPECT_TRUE(sameBits(a, b));
}

TEST_F(FirHighPassTest, TwoChannelsInPlaceMatchOneChannelAtATime) {
    std::int32_t length = 0;
    const double* kernel = bank.kernel(3, length);
    std::vector<float> left = reference::noise(1500, 86), right = reference::noise(1500, 87);
    FirHighPass stereo(2, 39, 512), mono(1, 39, 512), mono2(1, 39, 512);
    for (FirHighPass* f : {&stereo, &mono, &mono2}) f->setKernel(kernel, length, 6);
    const std::vector<float> expectLeft = run(mono, left, {700, 800});
    const std::vector<float> expectRight = run(mono2, right, {700, 800});
    float* io[] = {left.data(), right.data()};
    stereo.process(io, io, 700);
    float* io2[] = {left.data() + 700, right.data() + 700};
    stereo.process(io2, io2, 800);
    EXPECT_TRUE(sameBits(left, expectLeft));
    EXPECT_TRUE(sameBits(right, expectRight));
}

TEST_F(FirHighPassTest, ChangingTheKernelActsFromTheNextSampleOn) {
    const std::vector<float> signal = reference::noise(1200, 88);
    std::int32_t length0 = 0, length5 = 0;
    const double* kernel0 = bank.kernel(0, length0);
    const std::vector<float> h0 = floatKernel(kernel0, length0);
    const double* kernel5 = bank.kernel(5, length5);
    const std::vector<float> h5 = floatKernel(kernel5, length5);
    FirHighPass filter(1, 39, 512);
    filter.setKernel(bank.kernel(0, length0), length0, 0);
    std::vector<float> out(signal.size());
    const float* in[] = {signal.data()};
    float* o[] = {out.data()};
    filter.process(in, o, 500);
    const std::int32_t offset5 = (39 - length5) / 2;
    filter.setKernel(bank.kernel(5, length5), length5, offset5);
    const float* in2[] = {signal.data() + 500};
    float* o2[] = {out.data() + 500};
    filter.process(in2, o2, 700);
    for (std::size_t n = 0; n < 500; ++n)
        ASSERT_EQ(out[n], reference::foldedSample(h0, 0, signal, n)) << n;
    for (std::size_t n = 500; n < signal.size(); ++n) {
        ASSERT_EQ(out[n], reference::foldedSample(h5, offset5, signal, n)) << n;
    }
}

TEST_F(FirHighPassTest, KernelsThatDoNotFitTheHistoryAreRefused) {
    std::int32_t length = 0;
    const double* kernel = bank.kernel(2, length);
    FirHighPass filter(1, 39, 64);
    ASSERT_TRUE(filter.setKernel(kernel, length, 8));
    EXPECT_FALSE(filter.setKernel(kernel, length, 9));
    EXPECT_FALSE(filter.setKernel(kernel, length, -1));
    EXPECT_FALSE(filter.setKernel(nullptr, length, 0));
    EXPECT_FALSE(filter.setKernel(kernel, 0, 0));
    EXPECT_FALSE(filter.setKernel(kernel, 41, 0));
    EXPECT_EQ(filter.getLength(), 31);
    EXPECT_EQ(filter.getOffset(), 8);
}

TEST_F(FirHighPassTest, AnAsymmetricKernelIsStillConvolvedCorrectly) {
    const double ramp[] = {0.5, 0.25, -0.125, 0.0625, 1.0};
    FirHighPass high(1, 8, 32);
    FirFilter plain(1, 8, 32);
    ASSERT_TRUE(high.setCoefficients(ramp, 5, 2));
    ASSERT_TRUE(plain.setCoefficients(ramp, 5, 2));
    const std::vector<float> signal = reference::noise(100, 89);
    EXPECT_TRUE(sameBits(run(high, signal, {50, 50}), run(plain, signal, {50, 50})));
}

class FirFilterTest : public ::testing::Test {
protected:
    const double kernel[6] = {0.5, -0.25, 0.125, 0.75, -0.0625, 0.03125};
};

TEST_F(FirFilterTest, ConvolvesWithTheOffsetAsExtraDelay) {
    FirFilter filter(1, 9, 16);
    ASSERT_TRUE(filter.setCoefficients(kernel, 6, 3));
    const std::vector<float> signal = reference::noise(200, 91);
    const std::vector<float> out = run(filter, signal, reference::pieceSizes(signal.size(), 92));
    EXPECT_TRUE(
        sameBits(out, reference::convolve(std::vector<float>(kernel, kernel + 6), 3, signal)));
}

TEST_F(FirFilterTest, AddingVariantsAddTheFilteredSignal) {
    FirFilter replacing(1, 6, 16), adding(1, 6, 16);
    replacing.setCoefficients(kernel, 6, 0);
    adding.setCoefficients(kernel, 6, 0);
    const std::vector<float> signal = reference::noise(40, 93);
    const std::vector<float> filtered = run(replacing, signal, {40});
    std::vector<float> out = reference::noise(50, 94);
    const std::vector<float> before = out;
    const float* in[] = {signal.data()};
    float* o[] = {out.data()};
    adding.processAddAt(in, 0, o, 10, 15);
    const float* rest[] = {signal.data() + 15};
    adding.processAddAt(rest, 0, o, 25, 25);
    for (std::size_t n = 0; n < 10; ++n) EXPECT_EQ(out[n], before[n]);
    for (std::size_t n = 10; n < 50; ++n) EXPECT_EQ(out[n], before[n] + filtered[n - 10]) << n;
}

TEST_F(FirFilterTest, ProcessAtReadsAndWritesFromTheGivenOffsets) {
    FirFilter filter(1, 6, 4), reference(1, 6, 4);
    filter.setCoefficients(kernel, 6, 0);
    reference.setCoefficients(kernel, 6, 0);
    const std::vector<float> signal = reference::noise(30, 95);
    const std::vector<float> expected =
        run(reference, std::vector<float>(signal.begin() + 5, signal.end()), {25});
    std::vector<float> out(40, 9.0f);
    const float* in[] = {signal.data()};
    float* o[] = {out.data()};
    filter.processAt(in, 5, o, 10, 25);
    EXPECT_EQ(out[9], 9.0f);
    EXPECT_EQ(out[35], 9.0f);
    for (std::size_t n = 0; n < 25; ++n) EXPECT_EQ(out[10 + n], expected[n]) << n;
}

TEST_F(FirFilterTest, CountMinusOneKeepsTheLengthAndBadKernelsAreRefused) {
    FirFilter filter(1, 8, 16);
    ASSERT_TRUE(filter.setCoefficients(kernel, 6, 1));
    const double other[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(filter.setCoefficients(other, -1, 2));
    EXPECT_EQ(filter.getLength(), 6);
    EXPECT_EQ(filter.getOffset(), 2);
    EXPECT_EQ(filter.getCoefficients()[5], 6.0f);
    EXPECT_FALSE(filter.setCoefficients(other, 9, 0));
    EXPECT_FALSE(filter.setCoefficients(other, 8, 1));
    EXPECT_FALSE(filter.setCoefficients(other, -2, 0));
    const float floats[3] = {0.5f, 0.25f, 0.125f};
    ASSERT_TRUE(filter.setCoefficientsFloat(floats, 3, 5));
    EXPECT_FALSE(filter.setCoefficientsFloat(floats, 3, 6));
    EXPECT_EQ(filter.getLength(), 3);
}

TEST_F(FirFilterTest, ResetForgetsTheHistory) {
    FirFilter used(1, 6, 16), fresh(1, 6, 16);
    used.setCoefficients(kernel, 6, 0);
    fresh.setCoefficients(kernel, 6, 0);
    run(used, reference::noise(20, 96), {20});
    used.reset();
    const std::vector<float> signal = reference::noise(20, 97);
    EXPECT_TRUE(sameBits(run(used, signal, {20}), run(fresh, signal, {20})));
    EXPECT_TRUE(used.isReady());
}

TEST_F(FirFilterTest, NonFiniteInputLeavesTheHistoryAfterOneKernelLength) {
    FirFilter filter(1, 6, 16), fresh(1, 6, 16);
    filter.setCoefficients(kernel, 6, 0);
    fresh.setCoefficients(kernel, 6, 0);
    std::vector<float> burst(16, std::nanf(""));
    run(filter, burst, {16});
    // Zeros push the bad samples out; the zeros are what a new filter holds.
    run(filter, std::vector<float>(6, 0.0f), {6});
    const std::vector<float> signal = reference::noise(40, 98);
    EXPECT_TRUE(sameBits(run(filter, signal, {40}), run(fresh, signal, {40})));
}

}  // namespace
