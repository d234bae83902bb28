#include "dsp/CurveSegment.h"

#include <cmath>

CurveSegment::CurveSegment(std::int32_t pointCount)
    : pointCount(pointCount < 2 ? 2 : pointCount), values(this->pointCount + 1, 0.0f) {}

CurveSegment::~CurveSegment() = default;

void CurveSegment::build(float exponent, float low, float high) {
    this->low = low;
    this->high = high;
    step = (high - low) / static_cast<float>(pointCount - 1);
    inverseStep = 1.0f / step;
    for (std::int32_t i = 0; i <= pointCount; ++i) {
        const float level = low + static_cast<float>(i) * step;
        values[i] = static_cast<float>(std::pow(static_cast<double>(level), exponent));
    }
}
