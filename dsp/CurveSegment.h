#pragma once

#include <cstdint>
#include <vector>

// One piece of the gain curve: level^exponent sampled at pointCount evenly spaced levels from
// low, plus one point past high so that interpolation up to high never reads beyond the table.
class CurveSegment {
public:
    explicit CurveSegment(std::int32_t pointCount);
    virtual ~CurveSegment();

    void build(float exponent, float low, float high);

    // Linear interpolation for low <= level < high. Float arithmetic throughout: the rounding
    // of u and of the interpolation is part of the result.
    float valueAt(float level) const {
        const float u = (level - low) * inverseStep;
        const auto j = static_cast<std::int32_t>(u);
        const float* v = values.data() + j;
        return v[0] + (v[1] - v[0]) * (u - static_cast<float>(j));
    }

    std::int32_t getPointCount() const { return pointCount; }
    float getLow() const { return low; }
    float getHigh() const { return high; }
    float getStep() const { return step; }
    float getInverseStep() const { return inverseStep; }
    const std::vector<float>& getValues() const { return values; }

private:
    std::int32_t pointCount;
    float low = 0.0f;
    float high = 0.0f;
    float step = 0.0f;
    float inverseStep = 0.0f;
    std::vector<float> values;  // pointCount + 1
};
