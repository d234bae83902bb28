#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "dsp/BrillianteerEngine.h"
#include "dsp/ButterworthHighPass.h"
#include "dsp/ButterworthLowPass.h"
#include "dsp/DelayLine.h"
#include "dsp/FirHighPass.h"
#include "dsp/FirKernelBank.h"
#include "dsp/HarmonicShaper.h"
#include "dsp/InstructionSet.h"
#include "dsp/LookaheadCompressor.h"
#include "params/BrillianteerParameters.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kSignalFrames = kRate;  // one second, played in a loop

// Tones at 440 Hz and 5 kHz plus noise, per channel.
std::vector<float> testSignal(std::uint32_t seed) {
    std::vector<float> v(kSignalFrames + kBlock);
    std::uint32_t state = seed;
    for (std::size_t i = 0; i < v.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const float noise = float(state >> 8) * (1.0f / 8388608.0f) - 1.0f;
        const double t = double(i) / kRate;
        v[i] = float(0.4 * std::sin(2 * M_PI * 440.0 * t) + 0.2 * std::sin(2 * M_PI * 5000.0 * t)) +
               0.15f * noise;
    }
    return v;
}

// Seconds of audio per second of one core, as the "x realtime" counter.
void reportRealtime(benchmark::State& state, int framesPerIteration) {
    state.counters["x realtime"] = benchmark::Counter(
        double(state.iterations()) * framesPerIteration / kRate, benchmark::Counter::kIsRate);
}

struct StereoBuffers {
    std::vector<float> left = testSignal(1), right = testSignal(2);
    std::vector<float> outLeft = std::vector<float>(kBlock), outRight = std::vector<float>(kBlock);
    std::vector<float> workLeft = std::vector<float>(kBlock),
                       workRight = std::vector<float>(kBlock);
    float* out[2] = {outLeft.data(), outRight.data()};
    float* work[2] = {workLeft.data(), workRight.data()};
    int position = 0;

    // The next host block of input, copied to `work`.
    float** nextWork() {
        std::copy_n(left.data() + position, kBlock, workLeft.data());
        std::copy_n(right.data() + position, kBlock, workRight.data());
        advance();
        return work;
    }
    void advance() { position = (position + kBlock) % kSignalFrames; }
};

// The settings of the engine benchmarks: every part of the chain working.
std::unique_ptr<BrillianteerEngine> busyEngine(BrillianteerParameters& params) {
    params.setValue(BrillianteerParameters::Gain, 70.0f);
    params.setValue(BrillianteerParameters::Second, 60.0f);
    params.setValue(BrillianteerParameters::Third, 40.0f);
    params.setValue(BrillianteerParameters::Mix, 50.0f);
    params.setValue(BrillianteerParameters::Freq, 3000.0f);
    params.setValue(BrillianteerParameters::Density, 3.0f);
    std::unique_ptr<BrillianteerEngine> engine = BrillianteerEngine::create(2, kRate, 2, kBlock);
    engine->start();
    engine->applyParameters(params);
    return engine;
}

void runEngine(benchmark::State& state, StereoBuffers& b) {
    BrillianteerParameters params;
    std::unique_ptr<BrillianteerEngine> engine = busyEngine(params);
    for (auto _ : state) {
        const float* in[2] = {b.left.data() + b.position, b.right.data() + b.position};
        engine->applyParameters(params);
        engine->process(in, b.out, kBlock, false);
        b.advance();
        benchmark::DoNotOptimize(b.outLeft.data());
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}

// The whole engine as a host drives it.
void engineStereo44100Block512(benchmark::State& state) {
    StereoBuffers b;
    runEngine(state, b);
}
BENCHMARK(engineStereo44100Block512);

// The same on each instruction set the machine has (0 baseline, 1 AVX2, 2 AVX-512).
void engineOnInstructionSet(benchmark::State& state) {
    const auto wanted = static_cast<InstructionSet>(state.range(0));
    if (limitInstructionSet(wanted) != wanted) {
        limitInstructionSet(supportedInstructionSet());
        state.SkipWithError("this machine does not have that instruction set");
        return;
    }
    state.SetLabel(instructionSetName(wanted));
    StereoBuffers b;
    runEngine(state, b);
    limitInstructionSet(supportedInstructionSet());
}
BENCHMARK(engineOnInstructionSet)->Arg(0)->Arg(1)->Arg(2);

// A tenth of a second of the test signal, then noise at -200 dBFS, in a loop: filter and
// envelope states decay towards the denormal range. Must run no slower than the case above.
void engineDecayToNoiseFloor(benchmark::State& state) {
    StereoBuffers b;
    for (std::vector<float>* channel : {&b.left, &b.right}) {
        std::uint32_t seed = 5;
        for (std::size_t i = kRate / 10; i < channel->size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            (*channel)[i] = 1e-10f * (float(seed >> 8) * (1.0f / 8388608.0f) - 1.0f);
        }
    }
    runEngine(state, b);
}
BENCHMARK(engineDecayToNoiseFloor);

// The chain's parts alone, stereo, 512 frames, as the chain runs them, on the instruction set
// named by DSP_BENCH_SET (baseline, avx2, avx512; the widest the machine has when unset).
struct BenchSet {
    BenchSet() {
        const char* name = std::getenv("DSP_BENCH_SET");
        for (InstructionSet set :
             {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
            if (name && std::strcmp(name, instructionSetName(set)) == 0) limitInstructionSet(set);
        }
    }
    ~BenchSet() { limitInstructionSet(supportedInstructionSet()); }
};

void bandFiltersOrder6(benchmark::State& state) {
    const BenchSet set;
    ButterworthHighPass high(2, 3400.0, kRate, 6);
    ButterworthLowPass low(2, 10000.0, kRate, 6);
    StereoBuffers b;
    for (auto _ : state) {
        float** w = b.nextWork();
        BiquadCascade::processSeries(high, low, w, w, kBlock);
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}
BENCHMARK(bandFiltersOrder6);

void harmonicHighPassOrder8(benchmark::State& state) {
    const BenchSet set;
    ButterworthHighPass high(2, 10986.0, kRate, 8);
    StereoBuffers b;
    for (auto _ : state) {
        float** w = b.nextWork();
        high.process(w, w, kBlock);
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}
BENCHMARK(harmonicHighPassOrder8);

void freqHighPass(benchmark::State& state) {
    const BenchSet set;
    FirKernelBank bank = FirKernelBank::forSampleRate(kRate);
    FirHighPass fir(2, bank.fullLength(0), kBlock);
    std::int32_t length = 0;
    const double* kernel = bank.kernel(int(state.range(0)), length);
    fir.setKernel(kernel, length, (bank.fullLength(0) - length) / 2);
    StereoBuffers b;
    for (auto _ : state) {
        float** w = b.nextWork();
        fir.process(w, w, kBlock);
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}
BENCHMARK(freqHighPass)->Arg(0)->Arg(2)->Arg(6);

void bandCompressor(benchmark::State& state) {
    const BenchSet set;
    LookaheadCompressor compressor(2, float(kRate), 2.0f, -40.0f, 90, 0.0f, kBlock);
    StereoBuffers b;
    for (auto _ : state) {
        float** w = b.nextWork();
        compressor.process(w, b.out, kBlock);
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}
BENCHMARK(bandCompressor);

// The two band compressors as the chain runs them: four lanes side by side, out of place.
void bandCompressorPair(benchmark::State& state) {
    const BenchSet set;
    LookaheadCompressor second(2, float(kRate), 2.0f, -40.0f, 90, 0.0f, kBlock);
    LookaheadCompressor third(2, float(kRate), 3.0f, -40.0f, 90, 0.0f, kBlock);
    StereoBuffers b, c;
    for (auto _ : state) {
        float** w = b.nextWork();
        float** v = c.nextWork();
        LookaheadCompressor::processPair(second, w, b.out, third, v, c.out, kBlock);
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}
BENCHMARK(bandCompressorPair);

// The compressor's curve at one call's updates (four lanes of 128), on levels spread evenly in
// decibels over its three parts: below the threshold, the table and the direct power.
void gainCurveUpdates(benchmark::State& state) {
    const BenchSet set;
    const LookaheadCompressor compressor(2, float(kRate), 2.0f, -40.0f, 90, 0.0f, kBlock);
    std::vector<float> levels(kBlock), gains(kBlock);
    std::uint32_t seed = 9;
    for (float& level : levels) {
        seed = seed * 1664525u + 1013904223u;
        level = float(std::pow(10.0, -5.0 + 5.6 * double(seed >> 8) / 16777216.0));
    }
    for (auto _ : state) {
        for (int lane = 0; lane < 4; ++lane) {
            compressor.getCurve().gainsAt(levels.data() + 128 * lane, gains.data() + 128 * lane,
                                          128);
        }
        benchmark::DoNotOptimize(gains.data());
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}
BENCHMARK(gainCurveUpdates);

void shaperAndDelays(benchmark::State& state) {
    const BenchSet set;
    HarmonicShaper shaper(2, 1.2f, 0.6f);
    DelayLine dry(2, 108, kBlock), high(2, 89, kBlock);
    StereoBuffers b;
    for (auto _ : state) {
        float** w = b.nextWork();
        dry.process(w, 0, b.out, 0, kBlock);
        high.process(w, 0, b.out, 0, kBlock);
        shaper.process(b.out, w, kBlock);
        benchmark::ClobberMemory();
    }
    reportRealtime(state, kBlock);
}
BENCHMARK(shaperAndDelays);

}  // namespace
