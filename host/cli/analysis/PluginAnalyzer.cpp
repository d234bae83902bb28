#include "host/cli/analysis/PluginAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "host/cli/CommandError.h"
#include "host/cli/analysis/BandLevelMeter.h"
#include "host/cli/analysis/Fft.h"
#include "host/cli/analysis/SignalLevels.h"
#include "host/cli/io/AudioBuffer.h"
#include "host/cli/session/OfflineRenderer.h"
#include "host/cli/session/PluginSession.h"

namespace {

constexpr std::size_t kAnalysisLength = 65536;
constexpr double kImpulseAmplitude = 0.5;
constexpr int kResponsePoints = 400;
constexpr double kLowestHz = 10.0;
constexpr int kHighestHarmonic = 10;
// Lets level detectors and compressors settle before the analysed stretch begins.
constexpr double kSettleSeconds = 1.0;

// A plug-in whose output is not finite cannot be measured.
void refuseNonFinite(const OfflineRenderer& renderer) {
    if (renderer.nonFiniteSamples() > 0) {
        throw CommandError(kExitPlugin, "the plug-in's output holds " +
                                            std::to_string(renderer.nonFiniteSamples()) +
                                            " samples that are not finite; nothing measured");
    }
}

std::vector<double> blackmanHarris(std::size_t length) {
    std::vector<double> window(length);
    for (std::size_t n = 0; n < length; ++n) {
        const double x = 2.0 * M_PI * static_cast<double>(n) / static_cast<double>(length);
        window[n] =
            0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
    }
    return window;
}

AudioBuffer monoBuffer(double sampleRate, std::size_t frames) {
    AudioBuffer buffer;
    buffer.sampleRate = sampleRate;
    buffer.channels.assign(1, std::vector<float>(frames, 0.0f));
    return buffer;
}

}  // namespace

PluginAnalyzer::PluginAnalyzer(PluginSession& session, double sampleRate, std::int32_t blockSize)
    : session(session), sampleRate(sampleRate), blockSize(blockSize) {}

std::vector<ResponsePoint> PluginAnalyzer::magnitudeResponse() {
    AudioBuffer impulse = monoBuffer(sampleRate, kAnalysisLength);
    impulse.channels[0][0] = static_cast<float>(kImpulseAmplitude);
    session.start(sampleRate, blockSize);
    OfflineRenderer renderer(session, blockSize, ProcessMode::replacing);
    const AudioBuffer response = renderer.render(impulse, false);
    refuseNonFinite(renderer);
    const std::size_t latency = static_cast<std::size_t>(session.latency()) % kAnalysisLength;
    session.stop();

    // A linear-phase filter rings before its centre; dropping the latency would cut that off.
    // Rotating instead moves the ringing to the end, where the transform sees it as negative
    // time: the magnitude is the plug-in's own and the phase is relative to its latency.
    const Fft fft(kAnalysisLength);
    std::vector<double> signal(kAnalysisLength);
    for (std::size_t n = 0; n < kAnalysisLength; ++n) {
        signal[n] = response.channels[0][(n + latency) % kAnalysisLength];
    }
    const std::vector<std::complex<double>> spectrum = fft.realSpectrum(signal);
    const double binHz = sampleRate / static_cast<double>(kAnalysisLength);
    const double highestHz = 0.5 * sampleRate - binHz;
    std::vector<ResponsePoint> points;
    std::size_t previousBin = 0;
    for (int i = 0; i < kResponsePoints; ++i) {
        const double frequency =
            kLowestHz * std::pow(highestHz / kLowestHz, i / double(kResponsePoints - 1));
        const std::size_t bin = static_cast<std::size_t>(std::lround(frequency / binHz));
        if (bin == previousBin) continue;
        previousBin = bin;
        const std::complex<double> value = spectrum[bin] / kImpulseAmplitude;
        points.push_back({static_cast<double>(bin) * binHz,
                          SignalLevels::amplitudeToDb(std::abs(value)),
                          std::arg(value) * 180.0 / M_PI});
    }
    return points;
}

HarmonicSpectrum PluginAnalyzer::harmonicSpectrum(double sineHz, double sineDbfs) {
    const double binHz = sampleRate / static_cast<double>(kAnalysisLength);
    const std::size_t sineBin = static_cast<std::size_t>(std::max(1L, std::lround(sineHz / binHz)));
    const double exactHz = static_cast<double>(sineBin) * binHz;
    const double amplitude = std::pow(10.0, sineDbfs / 20.0);
    const std::size_t settle = static_cast<std::size_t>(kSettleSeconds * sampleRate);

    AudioBuffer sine = monoBuffer(sampleRate, settle + kAnalysisLength);
    for (std::size_t n = 0; n < sine.channels[0].size(); ++n) {
        sine.channels[0][n] = static_cast<float>(
            amplitude * std::sin(2.0 * M_PI * exactHz * static_cast<double>(n) / sampleRate));
    }
    session.start(sampleRate, blockSize);
    OfflineRenderer renderer(session, blockSize, ProcessMode::replacing);
    const AudioBuffer output = renderer.render(sine, true);
    refuseNonFinite(renderer);
    session.stop();

    const std::vector<double> window = blackmanHarris(kAnalysisLength);
    double windowSum = 0.0;
    double windowPower = 0.0;
    for (double w : window) {
        windowSum += w;
        windowPower += w * w;
    }
    const Fft fft(kAnalysisLength);
    auto windowedSpectrum = [&](const std::vector<float>& samples) {
        std::vector<double> segment(kAnalysisLength);
        for (std::size_t n = 0; n < kAnalysisLength; ++n)
            segment[n] = samples[settle + n] * window[n];
        return fft.realSpectrum(segment);
    };
    const auto out = windowedSpectrum(output.channels[0]);
    const auto in = windowedSpectrum(sine.channels[0]);

    HarmonicSpectrum result;
    result.sineHz = exactHz;
    result.sineDbfs = sineDbfs;
    for (std::size_t k = 1; k < out.size(); ++k) {
        result.spectrum.push_back({static_cast<double>(k) * binHz,
                                   SignalLevels::amplitudeToDb(2.0 * std::abs(out[k]) / windowSum),
                                   SignalLevels::amplitudeToDb(2.0 * std::abs(in[k]) / windowSum)});
    }
    for (int order = 1; order <= kHighestHarmonic; ++order) {
        const std::size_t centre = sineBin * static_cast<std::size_t>(order);
        if (centre + 4 >= out.size()) break;
        double peak = 0.0;
        for (std::size_t k = centre - 3; k <= centre + 3; ++k)
            peak = std::max(peak, std::abs(out[k]));
        result.harmonics.push_back({order, static_cast<double>(centre) * binHz,
                                    SignalLevels::amplitudeToDb(2.0 * peak / windowSum)});
    }
    double bandPower = 0.0;
    for (std::size_t k = 1; k < out.size(); ++k) {
        if (static_cast<double>(k) * binHz >= 10000.0) bandPower += std::norm(out[k]);
    }
    result.energyAbove10kHzDbfs = BandLevelMeter::powerToDbfs(
        2.0 * bandPower / (static_cast<double>(kAnalysisLength) * windowPower));
    return result;
}
