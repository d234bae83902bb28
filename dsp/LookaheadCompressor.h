#pragma once

#include <cstdint>
#include <vector>

#include "dsp/GainCurve.h"

// Levels a band before it is squared or cubed: a 1 ms mean-square detector, a static curve
// that boosts everything at or below the threshold by the make-up gain and gives unity gain at
// full scale, attack/release smoothing of the gain updated on every fourth sample, and a
// look-ahead delay of N samples so that the gain moves before the signal that caused it.
class LookaheadCompressor {
public:
    // The caller passes N + 1; the look-ahead is N samples.
    LookaheadCompressor(std::int32_t channels, float sampleRate, float ratio, float thresholdDb,
                        std::int32_t lookaheadPlusOne, float kick, std::int32_t maxBlockSize);
    LookaheadCompressor(const LookaheadCompressor&) = delete;
    LookaheadCompressor& operator=(const LookaheadCompressor&) = delete;
    virtual ~LookaheadCompressor();

    // Changes the curve and the make-up gain only; the gains glide to the new curve.
    void setThreshold(float thresholdDb);
    // Kick 1 selects the slow attack and release; any other value the fast ones.
    void setKick(float kick);
    // Inputs and outputs may be the same buffers.
    void process(float** inputs, float** outputs, std::int32_t frames);
    // a.process(aInputs, aOutputs, frames) and b.process(bInputs, bOutputs, frames), with the
    // four channels' recurrences side by side where the two compressors allow it. No buffer of
    // one may be a buffer of the other.
    static void processPair(LookaheadCompressor& a, float** aInputs, float** aOutputs,
                            LookaheadCompressor& b, float** bInputs, float** bOutputs,
                            std::int32_t frames);

    // Smoothing coefficient for a time constant of timeMs milliseconds, per sample.
    static float smoothingCoeff(float sampleRate, double timeMs);
    // The level detector's 1 ms coefficient.
    static float detectorCoeffAt(float sampleRate) { return smoothingCoeff(sampleRate, 1.0); }
    // One gain update: the gain moves toward the previous target, with the attack coefficient
    // when the new target lies below the gain.
    static double smoothGain(double gain, double previousTarget, float newTarget,
                             double attackCoeff, double releaseCoeff) {
        // Chosen without a branch: which way the gain moves is data the predictor cannot see.
        const bool falling = newTarget < gain;
        const double coeff = falling ? attackCoeff : releaseCoeff;
        const double rest = falling ? 1.0 - attackCoeff : 1.0 - releaseCoeff;
        return coeff * gain + rest * previousTarget;
    }

    const GainCurve& getCurve() const { return curve; }
    float getMakeupGain() const { return makeupGain; }
    float getDetectorCoeff() const { return detectorCoeff; }
    float getAttackCoeff() const { return attackCoeff; }
    float getReleaseCoeff() const { return releaseCoeff; }
    float getExponent() const { return exponent; }
    float getThresholdPower() const { return thresholdPower; }
    std::int32_t getCountdown() const { return countdown; }
    std::int32_t getLookahead() const { return lookahead; }
    float getLevel(std::int32_t ch) const { return levels[ch]; }
    float getGain(std::int32_t ch) const { return gains[ch]; }
    float getTarget(std::int32_t ch) const { return targets[ch]; }

private:
    // One channel of one compressor, with the countdown it starts from.
    struct Lane {
        LookaheadCompressor* owner;
        std::int32_t channel;
        std::int32_t count;
    };
    // Whether two compressors can run as lanes of one loop: the same rate, look-ahead, block
    // size and time constants, two channels each.
    bool canPairWith(const LookaheadCompressor& other) const;
    // The lanes over one call, cut the way process cuts it: out of place and longer than N,
    // the first N samples through the history and the rest straight from the input; otherwise
    // pieces of at most maxBlockSize through the history. Every lane takes the same path.
    template <int C>
    static void processLanes(Lane* lanes, float* const* inputs, float* const* outputs,
                             std::int32_t frames);
    // Per-sample processing of the lanes over n samples; d is x delayed by N.
    template <int C>
    static void run(Lane* lanes, const float* const* x, const float* const* delayed,
                    float* const* out, std::int32_t n);
    void repairState(std::int32_t ch);

    GainCurve curve;
    std::vector<float> targets;
    std::vector<float> gains;
    std::vector<float> levels;
    float makeupGain = 1.0f;
    float detectorCoeff = 0.0f;
    float attackCoeff = 0.0f;
    float releaseCoeff = 0.0f;
    std::int32_t countdown = 0;  // shared by the channels on purpose: see run()
    float exponent = 0.0f;       // (1 - ratio) * 0.5 / ratio
    float thresholdPower = 1.0f;
    std::int32_t lookahead = 0;
    std::int32_t channels = 0;
    float sampleRate = 44100.0f;
    float ratio = 1.0f;
    // Per channel: the last N input samples, then room for one piece.
    std::vector<std::vector<float>> histories;
    std::int32_t maxBlockSize = 1;
};
