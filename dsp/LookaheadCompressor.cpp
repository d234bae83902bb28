#include "dsp/LookaheadCompressor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::int32_t kPointsPerSegment = 32;
constexpr std::int32_t kSegmentCount = 6;
constexpr float kLowestTableTop = 0.01f;
constexpr std::int32_t kUpdateInterval = 4;

// The countdown after `value` samples' worth of steps from a count in 0..3.
std::int32_t wrapCount(std::int32_t value) { return value & (kUpdateInterval - 1); }

// o[k] = d[k] * g in double, rounded to float, for k < n. Between two gain updates n is four:
// those go as two pairs of doubles.
inline void scale(const float* d, float* o, std::int32_t n, double g) {
#if defined(__SSE2__)
    if (n == kUpdateInterval) {
        const __m128d gain = _mm_set1_pd(g);
        const __m128 x = _mm_loadu_ps(d);
        const __m128d low = _mm_mul_pd(_mm_cvtps_pd(x), gain);
        const __m128d high = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), gain);
        _mm_storeu_ps(o, _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)));
        return;
    }
#endif
    for (std::int32_t k = 0; k < n; ++k) o[k] = static_cast<float>(d[k] * g);
}

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
    bool usable = true;
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        usable = usable && inputs[ch] != nullptr && outputs[ch] != nullptr;
    }
    // One countdown serves all channels and runs on from one channel into the next, so their
    // gain updates fall on different samples unless the piece is a multiple of four long. The
    // output is defined this way (the golden outputs hold it): keep the count shared. Two
    // channels that take the same path run side by side, the second's count starting where the
    // first's turn would leave it, so their two recurrences overlap.
    if (channels == 2 && usable && (inputs[0] == outputs[0]) == (inputs[1] == outputs[1])) {
        Lane lanes[2] = {{this, 0, countdown}, {this, 1, wrapCount(countdown - frames)}};
        processLanes<2>(lanes, inputs, outputs, frames);
        countdown = lanes[1].count;
        repairState(0);
        repairState(1);
        return;
    }
    for (std::int32_t ch = 0; ch < channels; ++ch) {
        if (inputs[ch] == nullptr || outputs[ch] == nullptr) continue;
        Lane lane = {this, ch, countdown};
        processLanes<1>(&lane, inputs + ch, outputs + ch, frames);
        countdown = lane.count;
        repairState(ch);
    }
}

bool LookaheadCompressor::canPairWith(const LookaheadCompressor& other) const {
    return channels == 2 && other.channels == 2 && lookahead == other.lookahead &&
           maxBlockSize == other.maxBlockSize && detectorCoeff == other.detectorCoeff &&
           attackCoeff == other.attackCoeff && releaseCoeff == other.releaseCoeff;
}

void LookaheadCompressor::processPair(LookaheadCompressor& a, float** aInputs, float** aOutputs,
                                      LookaheadCompressor& b, float** bInputs, float** bOutputs,
                                      std::int32_t frames) {
    if (frames <= 0) return;
    float* inputs[4] = {};
    float* outputs[4] = {};
    bool usable = a.canPairWith(b) && aInputs && aOutputs && bInputs && bOutputs;
    for (int c = 0; usable && c < 2; ++c) {
        inputs[c] = aInputs[c];
        inputs[2 + c] = bInputs[c];
        outputs[c] = aOutputs[c];
        outputs[2 + c] = bOutputs[c];
    }
    for (int c = 0; usable && c < 4; ++c) {
        usable = inputs[c] != nullptr && outputs[c] != nullptr &&
                 (inputs[c] == outputs[c]) == (inputs[0] == outputs[0]);
    }
    if (!usable) {
        a.process(aInputs, aOutputs, frames);
        b.process(bInputs, bOutputs, frames);
        return;
    }
    Lane lanes[4] = {{&a, 0, a.countdown},
                     {&a, 1, wrapCount(a.countdown - frames)},
                     {&b, 0, b.countdown},
                     {&b, 1, wrapCount(b.countdown - frames)}};
    processLanes<4>(lanes, inputs, outputs, frames);
    a.countdown = lanes[1].count;
    b.countdown = lanes[3].count;
    for (std::int32_t ch = 0; ch < 2; ++ch) {
        a.repairState(ch);
        b.repairState(ch);
    }
}

template <int C>
void LookaheadCompressor::processLanes(Lane* lanes, float* const* inputs, float* const* outputs,
                                       std::int32_t frames) {
    const std::int32_t n = lanes[0].owner->lookahead;
    const std::int32_t maxBlock = lanes[0].owner->maxBlockSize;
    const float* in[C];
    float* out[C];
    float* history[C];
    for (int c = 0; c < C; ++c) {
        in[c] = inputs[c];
        out[c] = outputs[c];
        history[c] = lanes[c].owner->histories[lanes[c].channel].data();
    }
    if (in[0] != out[0] && frames > n) {
        // Only the first N outputs need the history; the rest read the input N back.
        const float* x[C];
        const float* d[C];
        float* o[C];
        for (int c = 0; c < C; ++c) {
            std::copy(in[c], in[c] + n, history[c] + n);
            x[c] = history[c] + n;
            d[c] = history[c];
        }
        run<C>(lanes, x, d, out, n);
        for (int c = 0; c < C; ++c) {
            x[c] = in[c] + n;
            d[c] = in[c];
            o[c] = out[c] + n;
        }
        run<C>(lanes, x, d, o, frames - n);
        for (int c = 0; c < C; ++c) std::copy(in[c] + frames - n, in[c] + frames, history[c]);
        return;
    }
    for (std::int32_t done = 0; done < frames;) {
        const std::int32_t e = std::min(frames - done, maxBlock);
        const float* x[C];
        const float* d[C];
        float* o[C];
        for (int c = 0; c < C; ++c) {
            std::copy(in[c] + done, in[c] + done + e, history[c] + n);
            x[c] = history[c] + n;
            d[c] = history[c];
            o[c] = out[c] + done;
        }
        run<C>(lanes, x, d, o, e);
        for (int c = 0; c < C; ++c) std::memmove(history[c], history[c] + e, sizeof(float) * n);
        done += e;
    }
}

typedef double Double2 __attribute__((vector_size(16)));
typedef float Float2 __attribute__((vector_size(8)));
typedef long long Mask2 __attribute__((vector_size(16)));

inline Double2 select(Mask2 on, Double2 a, Double2 b) {
    return (Double2)(((Mask2)a & on) | ((Mask2)b & ~on));
}

// Level, gain and target are held in double over the n samples and stored back as floats.
// L = (1 - r) x[k]^2 + r L
// every fourth sample: G = c G + (1 - c) P, then P = curve(L), c = attack when curve(L) < G
// y[k] = G d[k], where d is x delayed by N
// Worked in stretches: first the levels (keeping those the updates read), then the curve at
// every update of the stretch (independent of each other), then the gains with the output.
// The levels and the gains are serial within a lane, so the lanes' recurrences run side by
// side, two lanes to a vector (a lone lane shares its vector with a copy of itself). Each
// value is the one the sample-by-sample order gives.
template <int C>
void LookaheadCompressor::run(Lane* lanes, const float* const* x, const float* const* delayed,
                              float* const* out, std::int32_t n) {
    constexpr int pairs = (C + 1) / 2;
    constexpr int slots = 2 * pairs;
    constexpr std::int32_t stretch = 512;
    constexpr std::int32_t maxUpdates = stretch / kUpdateInterval;
    const LookaheadCompressor& shared = *lanes[0].owner;
    const double r = shared.detectorCoeff;
    const double oneMinusR = 1.0 - r;
    const double attack = shared.attackCoeff;
    const double release = shared.releaseCoeff;
    // Slot i holds lane min(i, C - 1).
    const float* input[slots];
    Double2 level[pairs], gain[pairs], target[pairs];
    for (int i = 0; i < slots; ++i) {
        const Lane& lane = lanes[std::min(i, C - 1)];
        input[i] = x[std::min(i, C - 1)];
        level[i / 2][i % 2] = lane.owner->levels[lane.channel];
        gain[i / 2][i % 2] = lane.owner->gains[lane.channel];
        target[i / 2][i % 2] = lane.owner->targets[lane.channel];
    }
    for (std::int32_t start = 0; start < n; start += stretch) {
        const std::int32_t length = std::min(n - start, stretch);
        std::int32_t count[slots];
        for (int i = 0; i < slots; ++i) count[i] = lanes[std::min(i, C - 1)].count;
        // Slot i's update in each group of four samples reads the level of sample count[i].
        Mask2 read[kUpdateInterval][pairs];
        for (std::int32_t k = 0; k < kUpdateInterval; ++k) {
            for (int p = 0; p < pairs; ++p) {
                read[k][p] = Mask2{count[2 * p] == k ? -1 : 0, count[2 * p + 1] == k ? -1 : 0};
            }
        }
        std::int32_t together[pairs];
        for (int p = 0; p < pairs; ++p) {
            together[p] = count[2 * p] == count[2 * p + 1] ? count[2 * p] : -1;
        }
        // The levels, and per pair of lanes the two its update in each group reads (a lane with
        // no update in the last group leaves a value nothing reads).
        float updateLevels[pairs][2 * maxUpdates];
        float updateTargets[pairs][2 * maxUpdates];
        std::int32_t groups = 0;
        for (std::int32_t group = 0; group < length; group += kUpdateInterval, ++groups) {
            const std::int32_t samples = std::min(kUpdateInterval, length - group);
            Double2 picked[pairs] = {};
            for (std::int32_t k = 0; k < samples; ++k) {
#pragma GCC unroll 2
                for (int p = 0; p < pairs; ++p) {
                    const std::int32_t at = start + group + k;
                    const Double2 s = {input[2 * p][at], input[2 * p + 1][at]};
                    level[p] = oneMinusR * (s * s) + r * level[p];
                    // Both lanes of a pair usually update on the same sample.
                    if (k == together[p]) {
                        picked[p] = level[p];
                    } else if (together[p] < 0) {
                        picked[p] = select(read[k][p], level[p], picked[p]);
                    }
                }
            }
            for (int p = 0; p < pairs; ++p) {
                const Float2 pair = __builtin_convertvector(picked[p], Float2);
                std::memcpy(&updateLevels[p][2 * groups], &pair, sizeof(pair));
            }
        }
        std::int32_t updates[C];
        std::int32_t fewest = maxUpdates;
        for (int c = 0; c < C; ++c) {
            updates[c] = (length - count[c] + kUpdateInterval - 1) / kUpdateInterval;
            fewest = std::min(fewest, updates[c]);
        }
        for (int p = 0; p < pairs; ++p) {
            lanes[2 * p].owner->curve.gainsAt(updateLevels[p], updateTargets[p], 2 * groups);
        }
        const float* d[C];
        float* o[C];
        for (int c = 0; c < C; ++c) {
            d[c] = delayed[c] + start;
            o[c] = out[c] + start;
            scale(d[c], o[c], std::min(count[c], length), gain[c / 2][c % 2]);
        }
        // Each lane's first update sample: update u scales four samples from there on.
        const float* dAt[slots];
        float* oAt[slots];
        for (int i = 0; i < slots; ++i) {
            dAt[i] = d[std::min(i, C - 1)] + count[i];
            oAt[i] = o[std::min(i, C - 1)] + count[i];
        }
        // The lanes' gains side by side, each lane's four samples scaled as its gain arrives
        // (they fill the wait on the next update). Up to the second-to-last update that every
        // lane has, each update is followed by four whole samples; the counts differ by one at
        // most, so the rest is at most two updates per lane.
        const std::int32_t sideBySide = std::max(fewest - 1, 0);
        for (std::int32_t u = 0; u < sideBySide; ++u) {
#pragma GCC unroll 2
            for (int p = 0; p < pairs; ++p) {
                Float2 pair;
                std::memcpy(&pair, &updateTargets[p][2 * u], sizeof(pair));
                const Double2 next = __builtin_convertvector(pair, Double2);
                // smoothGain on both lanes: both moves formed, the falling lanes take the attack.
                const Mask2 falling = next < gain[p];
                const Double2 attacked = attack * gain[p] + (1.0 - attack) * target[p];
                const Double2 released = release * gain[p] + (1.0 - release) * target[p];
                gain[p] = select(falling, attacked, released);
                target[p] = next;
                const std::int32_t at = u * kUpdateInterval;
                scale(dAt[2 * p] + at, oAt[2 * p] + at, kUpdateInterval, gain[p][0]);
                if (2 * p + 1 < C) {
                    scale(dAt[2 * p + 1] + at, oAt[2 * p + 1] + at, kUpdateInterval, gain[p][1]);
                }
            }
        }
        for (int c = 0; c < C; ++c) {
            double g = gain[c / 2][c % 2];
            double t = target[c / 2][c % 2];
            for (std::int32_t u = sideBySide; u < updates[c]; ++u) {
                const float next = updateTargets[c / 2][2 * u + c % 2];
                g = smoothGain(g, t, next, attack, release);
                t = next;
                const std::int32_t at = count[c] + u * kUpdateInterval;
                scale(d[c] + at, o[c] + at, std::min(kUpdateInterval, length - at), g);
            }
            gain[c / 2][c % 2] = g;
            target[c / 2][c % 2] = t;
            lanes[c].count = wrapCount(count[c] - length);
        }
    }
    for (int c = 0; c < C; ++c) {
        LookaheadCompressor& owner = *lanes[c].owner;
        owner.levels[lanes[c].channel] = static_cast<float>(level[c / 2][c % 2]);
        owner.gains[lanes[c].channel] = static_cast<float>(gain[c / 2][c % 2]);
        owner.targets[lanes[c].channel] = static_cast<float>(target[c / 2][c % 2]);
    }
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
