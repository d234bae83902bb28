#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "dsp/CurveSegment.h"
#include "dsp/FloatPower.h"

// Static gain of the compressor as a function of the mean-square level: threshold^exponent at
// and below the threshold, level^exponent above it. Between the threshold and the top of the
// table the power comes from geometric segments of linear steps.
class GainCurve {
public:
    GainCurve(std::int32_t pointsPerSegment, std::int32_t segmentCount);
    virtual ~GainCurve();

    // top is the lowest table top; a high threshold moves it to a thousand times the threshold.
    void build(float exponent, float threshold, float top);

    float gainAt(float level) const {
        if (level <= threshold) return valueAtThreshold;
        for (std::int32_t i = 0; i < segmentCount; ++i) {
            if (level < boundaries[i]) return segments[i].valueAt(level);
        }
        return power(level);
    }

    // gains[u] = gainAt(levels[u]) for u < count, several levels at once where the machine
    // allows.
    void gainsAt(const float* levels, float* gains, std::int32_t count) const;

    std::int32_t getSegmentCount() const { return segmentCount; }
    const std::vector<float>& getBoundaries() const { return boundaries; }
    float getExponent() const { return exponent; }
    float getThreshold() const { return threshold; }
    float getValueAtThreshold() const { return valueAtThreshold; }
    const CurveSegment& getSegment(std::int32_t i) const { return segments[i]; }

private:
    std::int32_t segmentCount;
    std::vector<float> boundaries;  // upper level of each segment
    float exponent = 0.0f;
    float threshold = 0.0f;  // mean square
    float valueAtThreshold = 1.0f;
    std::vector<CurveSegment> segments;
    FloatPower power;  // level^exponent above the table
    // The segments' starts, inverse steps and values side by side, for the wide kernel, which
    // serves six rising segments of 33 values.
    std::vector<float> lows, inverseSteps, values;
    bool flatShape = false;
};
