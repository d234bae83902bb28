#include "dsp/LookaheadCompressor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::int32_t kPointsPerSegment = 32;
constexpr std::int32_t kSegmentCount = 6;
constexpr float kLowestTableTop = 0.01f;
constexpr std::int32_t kUpdateInterval = 4;

}  // namespace

LookaheadCompressor::LookaheadCompressor(std::int32_t channels, float sampleRate, float ratio,
                                         float thresholdDb, std::int32_t lookaheadPlusOne,
                                         float kick, std::int32_t maxBlockSize)
    : curve(kPointsPerSegment, kSegmentCount),
      channels(std::max<std::int32_t>(channels, 0)),
      sampleRate(sampleRate),
      ratio(ratio),
      maxBlockSize(std::max<std::int32_t>(maxBlockSize, 1)) {
    setKick(kick);
    countdown = 0;
    detectorCoeff = detectorCoeffAt(sampleRate);
    exponent = (1.0f - ratio) * 0.5f / ratio;
    setThreshold(thresholdDb);
    lookahead = std::max<std::int32_t>(lookaheadPlusOne - 1, 0);
    // The out-of-place path stages the first N input samples behind the history, so the
    // buffer also holds 2N when a piece is shorter than the look-ahead.
    const std::int32_t historySize = lookahead + std::max(this->maxBlockSize, lookahead);
    histories.assign(this->channels, std::vector<float>(historySize, 0.0f));
    levels.assign(this->channels, 0.0f);
    gains.assign(this->channels, makeupGain);
    targets.assign(this->channels, makeupGain);
}

LookaheadCompressor::~LookaheadCompressor() = default;

float LookaheadCompressor::smoothingCoeff(float sampleRate, double timeMs) {
    const double samplesPerMs = static_cast<double>(sampleRate) * static_cast<double>(0.001f);
    return static_cast<float>(std::exp(-1.0 / (samplesPerMs * timeMs)));
}

void LookaheadCompressor::setThreshold(float thresholdDb) {
    const double t = thresholdDb;
    makeupGain = static_cast<float>(std::pow(10.0, (t / ratio - t) * 0.05));
    thresholdPower = static_cast<float>(std::pow(10.0, t * 0.1));
    curve.build(exponent, thresholdPower, kLowestTableTop);
}

void LookaheadCompressor::setKick(float kick) {
    const bool slow = kick == 1.0f;
    attackCoeff = smoothingCoeff(sampleRate, slow ? 0.625 : 0.125);
    releaseCoeff = smoothingCoeff(sampleRate, slow ? 125.0 : 50.0);
}

void LookaheadCompressor::process(float** inputs, float** outputs, std::int32_t frames) {
    if (inputs == nullptr || outputs == nullptr || frames <= 0) return;
    const std::int32_t n = lookahead;
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        const float* in = inputs[ch];
        float* out = outputs[ch];
        if (in == nullptr || out == nullptr) continue;
        float* history = histories[ch].data();
        if (in != out && frames > n) {
            // Only the first N outputs need the history; the rest read the input N back.
            std::copy(in, in + n, history + n);
            run(ch, history + n, history, out, n);
            run(ch, in + n, in, out + n, frames - n);
            std::copy(in + frames - n, in + frames, history);
        } else {
            for (std::int32_t done = 0; done < frames;) {
                const std::int32_t e = std::min(frames - done, maxBlockSize);
                std::copy(in + done, in + done + e, history + n);
                run(ch, history + n, history, out + done, e);
                std::memmove(history, history + e, sizeof(float) * n);
                done += e;
            }
        }
        repairState(ch);
    }
}

// Level, gain and target are held in double over the n samples and stored back as floats.
// L = (1 - r) x[k]^2 + r L
// every fourth sample: G = c G + (1 - c) P, then P = curve(L), c = attack when curve(L) < G
// y[k] = G d[k], where d is x delayed by N
void LookaheadCompressor::run(std::int32_t ch, const float* x, const float* delayed, float* out,
                              std::int32_t n) {
    const double r = detectorCoeff;
    const double oneMinusR = 1.0 - r;
    const double attack = attackCoeff;
    const double release = releaseCoeff;
    double level = levels[ch];
    double gain = gains[ch];
    double target = targets[ch];
    // One countdown serves all channels and runs on from one channel into the next, so their
    // gain updates fall on different samples unless the piece is a multiple of four long. The
    // output is defined this way (the golden outputs hold it): keep the count shared.
    std::int32_t count = countdown;
    for (std::int32_t k = 0; k < n; ++k) {
        const double s = x[k];
        level = oneMinusR * (s * s) + r * level;
        if (count == 0) {
            const float newTarget = curve.gainAt(static_cast<float>(level));
            gain = smoothGain(gain, target, newTarget, attack, release);
            target = newTarget;
            count = kUpdateInterval - 1;
        } else {
            --count;
        }
        out[k] = static_cast<float>(delayed[k] * gain);
    }
    levels[ch] = static_cast<float>(level);
    gains[ch] = static_cast<float>(gain);
    targets[ch] = static_cast<float>(target);
    countdown = count;
}

// The one place where channel state is repaired, at the end of every call. NaN or infinite
// input (or a level beyond float range) would leave the level, and with it the gain, stuck
// non-finite for good: reset them, and the look-ahead samples, so that the next finite piece
// comes out finite. Finite state is left bit for bit. The level needs no denormal flush: as a
// float it underflows to an exact 0 soon after the input falls silent.
void LookaheadCompressor::repairState(std::int32_t ch) {
    if (std::isfinite(levels[ch]) && std::isfinite(gains[ch]) && std::isfinite(targets[ch])) return;
    levels[ch] = 0.0f;
    gains[ch] = makeupGain;
    targets[ch] = makeupGain;
    float* history = histories[ch].data();
    for (std::int32_t i = 0; i < lookahead; ++i) {
        if (!std::isfinite(history[i])) history[i] = 0.0f;
    }
}
