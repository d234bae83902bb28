#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "dsp/LookaheadCompressor.h"

namespace {

constexpr int kFrames = 512;

// Two channels out of place, as the signal chain calls it, on a tone whose level crosses the
// threshold so that both attack and release run.
void compressorStereo512(benchmark::State& state) {
    LookaheadCompressor compressor(2, 44100.0f, 2.0f, -30.0f, 90, 0.0f, kFrames);
    std::vector<float> left(kFrames), right(kFrames), outLeft(kFrames), outRight(kFrames);
    for (int k = 0; k < kFrames; ++k) {
        const float envelope = 0.5f + 0.45f * std::sin(float(k) * 0.013f);
        left[k] = envelope * std::sin(float(k) * 0.71f);
        right[k] = envelope * std::sin(float(k) * 0.53f + 1.0f);
    }
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    for (auto _ : state) {
        compressor.process(in, out, kFrames);
        benchmark::DoNotOptimize(outLeft.data());
        benchmark::DoNotOptimize(outRight.data());
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}
BENCHMARK(compressorStereo512);

}  // namespace
