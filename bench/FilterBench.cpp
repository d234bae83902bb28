// Filter throughput in frames per second (items/s): two channels, 512-frame calls.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "dsp/BiquadSection.h"
#include "dsp/ButterworthHighPass.h"
#include "dsp/ButterworthLowPass.h"
#include "dsp/FirFilter.h"
#include "dsp/FirHighPass.h"
#include "dsp/FirKernelBank.h"

namespace {

constexpr std::int32_t blockFrames = 512;

struct StereoBlock {
    StereoBlock()
        : left(blockFrames), right(blockFrames), outLeft(blockFrames), outRight(blockFrames) {
        std::mt19937 generator(7);
        std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
        for (std::int32_t n = 0; n < blockFrames; ++n) {
            left[n] = sample(generator);
            right[n] = sample(generator);
        }
        in[0] = left.data();
        in[1] = right.data();
        out[0] = outLeft.data();
        out[1] = outRight.data();
    }
    std::vector<float> left, right, outLeft, outRight;
    const float* in[2];
    float* out[2];
};

void finish(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * blockFrames); }

template <typename Filter>
void runCascade(benchmark::State& state, double cutoffHz, std::int32_t order) {
    Filter filter(2, cutoffHz, 44100.0, order);
    StereoBlock block;
    for (auto _ : state) {
        filter.process(block.in, block.out, blockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    finish(state);
}

void ButterworthHighPassOrder6(benchmark::State& state) {
    runCascade<ButterworthHighPass>(state, 3400.0, 6);
}
void ButterworthLowPassOrder6(benchmark::State& state) {
    runCascade<ButterworthLowPass>(state, 10000.0, 6);
}
void ButterworthHighPassOrder8(benchmark::State& state) {
    runCascade<ButterworthHighPass>(state, 10986.0, 8);
}

void BiquadSectionAlone(benchmark::State& state) {
    ButterworthHighPass design(2, 3400.0, 44100.0, 2);
    BiquadSection section(2);
    section.setNumerator(design.getSection(0).getNumerator());
    section.setDenominator(design.getSection(0).getDenominator());
    StereoBlock block;
    for (auto _ : state) {
        section.process(block.in, block.out, blockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    finish(state);
}

// The five band filters of the signal chain, 16 sections, as the chain runs them.
void ChainBandFilters(benchmark::State& state) {
    ButterworthHighPass band2HighPass(2, 3400.0, 44100.0, 6);
    ButterworthLowPass band2LowPass(2, 10000.0, 44100.0, 6);
    ButterworthHighPass band3HighPass(2, 3662.0, 44100.0, 6);
    ButterworthLowPass band3LowPass(2, 6667.0, 44100.0, 6);
    ButterworthHighPass harmonicHighPass(2, 10986.0, 44100.0, 8);
    StereoBlock block, second;
    for (auto _ : state) {
        band2HighPass.process(block.in, block.out, blockFrames);
        band2LowPass.process(block.out, second.out, blockFrames);
        band3HighPass.process(block.in, block.out, blockFrames);
        band3LowPass.process(block.out, block.out, blockFrames);
        harmonicHighPass.process(second.out, second.out, blockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::DoNotOptimize(second.outLeft.data());
        benchmark::ClobberMemory();
    }
    finish(state);
}

// The plain form for comparison: each section over the whole block, one channel at a time,
// state in locals; the same arithmetic as the library.
void ChainBandFiltersPlain(benchmark::State& state) {
    struct Plain {
        double b0, b1, b2, a1, a2;
        double x1[2] = {}, x2[2] = {}, y1[2] = {}, y2[2] = {};
        void run(const float* in, float* out, std::int32_t frames, int c) {
            double lx1 = x1[c], lx2 = x2[c], ly1 = y1[c], ly2 = y2[c];
            for (std::int32_t n = 0; n < frames; ++n) {
                const double x = in[n];
                const double y = b0 * x + b1 * lx1 + b2 * lx2 - a1 * ly1 - a2 * ly2;
                out[n] = static_cast<float>(y);
                lx2 = lx1;
                lx1 = x;
                ly2 = ly1;
                ly1 = y;
            }
            x1[c] = lx1;
            x2[c] = lx2;
            y1[c] = std::fabs(ly1) < BiquadSection::stateFloor ? 0.0 : ly1;
            y2[c] = std::fabs(ly2) < BiquadSection::stateFloor ? 0.0 : ly2;
        }
    };
    std::vector<std::unique_ptr<BiquadCascade>> designs;
    designs.push_back(std::make_unique<ButterworthHighPass>(2, 3400.0, 44100.0, 6));
    designs.push_back(std::make_unique<ButterworthLowPass>(2, 10000.0, 44100.0, 6));
    designs.push_back(std::make_unique<ButterworthHighPass>(2, 3662.0, 44100.0, 6));
    designs.push_back(std::make_unique<ButterworthLowPass>(2, 6667.0, 44100.0, 6));
    designs.push_back(std::make_unique<ButterworthHighPass>(2, 10986.0, 44100.0, 8));
    std::vector<std::vector<Plain>> cascades;
    for (const auto& design : designs) {
        cascades.emplace_back();
        for (std::int32_t i = 0; i < design->getSectionCount(); ++i) {
            const double* b = design->getSection(i).getNumerator();
            const double* a = design->getSection(i).getDenominator();
            cascades.back().push_back(Plain{b[0], b[1], b[2], a[0], a[1]});
        }
    }
    StereoBlock block;
    for (auto _ : state) {
        for (auto& cascade : cascades) {
            for (int c = 0; c < 2; ++c) {
                for (std::size_t j = 0; j < cascade.size(); ++j) {
                    cascade[j].run(j == 0 ? block.in[c] : block.out[c], block.out[c], blockFrames,
                                   c);
                }
            }
        }
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    finish(state);
}

void FirHighPassKernel(benchmark::State& state) {
    const double sampleRate = static_cast<double>(state.range(0));
    FirKernelBank bank(sampleRate);
    std::int32_t length = 0;
    const double* kernel = bank.kernel(static_cast<std::int32_t>(state.range(1)), length);
    FirHighPass filter(2, bank.fullLength(0), blockFrames);
    filter.setKernel(kernel, length, (bank.fullLength(0) - length) / 2);
    StereoBlock block;
    for (auto _ : state) {
        filter.process(block.in, block.out, blockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel("length " + std::to_string(length));
    finish(state);
}

void FirFilterUnfolded(benchmark::State& state) {
    FirKernelBank bank(44100.0);
    std::int32_t length = 0;
    const double* kernel = bank.kernel(0, length);
    FirFilter filter(2, length, blockFrames);
    filter.setCoefficients(kernel, length, 0);
    StereoBlock block;
    for (auto _ : state) {
        filter.process(block.in, block.out, blockFrames);
        benchmark::DoNotOptimize(block.outLeft.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel("length " + std::to_string(length));
    finish(state);
}

}  // namespace

BENCHMARK(BiquadSectionAlone);
BENCHMARK(ButterworthHighPassOrder6);
BENCHMARK(ButterworthLowPassOrder6);
BENCHMARK(ButterworthHighPassOrder8);
BENCHMARK(ChainBandFilters);
BENCHMARK(ChainBandFiltersPlain);
BENCHMARK(FirHighPassKernel)->Args({44100, 0})->Args({44100, 6})->Args({96000, 0});
BENCHMARK(FirFilterUnfolded);
