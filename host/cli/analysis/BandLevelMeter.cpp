#include "host/cli/analysis/BandLevelMeter.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr std::size_t kSegmentLength = 65536;
constexpr double kSilenceDbfs = -300.0;
}  // namespace

double BandLevelMeter::powerToDbfs(double meanSquare) {
    // A full-scale sine has a mean square of 1/2.
    return meanSquare > 0.0 ? std::max(10.0 * std::log10(meanSquare / 0.5), kSilenceDbfs)
                            : kSilenceDbfs;
}

BandLevelMeter::BandLevelMeter(double sampleRate, double lowHz)
    : sampleRate(sampleRate),
      lowHz(lowHz),
      segmentFft(kSegmentLength),
      window(kSegmentLength),
      segment(kSegmentLength) {
    for (std::size_t n = 0; n < kSegmentLength; ++n) {
        window[n] = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(n) /
                                         static_cast<double>(kSegmentLength));
        windowPower += window[n] * window[n];
    }
    held.reserve(kSegmentLength);
}

double BandLevelMeter::bandSum(const Fft& fft, const std::vector<double>& samples) const {
    const double binHz = sampleRate / static_cast<double>(fft.size());
    const auto spectrum = fft.realSpectrum(samples);
    double sum = 0.0;
    for (std::size_t k = 1; k < spectrum.size(); ++k) {
        if (static_cast<double>(k) * binHz >= lowHz) sum += std::norm(spectrum[k]);
    }
    return sum;
}

void BandLevelMeter::measureSegment() {
    for (std::size_t n = 0; n < kSegmentLength; ++n) segment[n] = held[n] * window[n];
    total +=
        2.0 * bandSum(segmentFft, segment) / (static_cast<double>(kSegmentLength) * windowPower);
    ++segments;
    // The next segment starts half a segment later.
    held.erase(held.begin(), held.begin() + kSegmentLength / 2);
}

void BandLevelMeter::add(const float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        // A full segment is measured only once a sample beyond it arrives: a signal that ends
        // there is short enough for one transform of it whole.
        if (held.size() == kSegmentLength) measureSegment();
        held.push_back(samples[i]);
    }
}

double BandLevelMeter::levelDbfs() {
    if (segments == 0) {
        if (held.empty()) return kSilenceDbfs;
        const Fft fft(Fft::nextPowerOfTwo(held.size()));
        const std::vector<double> whole(held.begin(), held.end());
        return powerToDbfs(2.0 * bandSum(fft, whole) /
                           (static_cast<double>(fft.size()) * static_cast<double>(held.size())));
    }
    if (held.size() == kSegmentLength) measureSegment();
    return powerToDbfs(total / segments);
}
