#include "host/cli/analysis/SignalLevels.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kSilenceDb = -300.0;
}

SignalLevels::SignalLevels(int channels, double sampleRate, double lowHz)
    : meters(static_cast<std::size_t>(channels), BandLevelMeter(sampleRate, lowHz)) {}

void SignalLevels::add(const std::vector<std::vector<float>>& channels, std::int32_t offset,
                       std::int32_t frames) {
    for (std::size_t c = 0; c < meters.size(); ++c) {
        const float* samples = channels[c].data() + offset;
        meters[c].add(samples, static_cast<std::size_t>(frames));
        for (std::int32_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(samples[i]));
    }
}

double SignalLevels::peakDbfs() const { return amplitudeToDb(peak); }

double SignalLevels::bandDbfs() {
    double sum = 0.0;
    for (BandLevelMeter& meter : meters) sum += std::pow(10.0, meter.levelDbfs() / 10.0);
    return 10.0 * std::log10(sum / static_cast<double>(meters.size()));
}

double SignalLevels::amplitudeToDb(double amplitude) {
    return amplitude > 0.0 ? std::max(20.0 * std::log10(amplitude), kSilenceDb) : kSilenceDb;
}
