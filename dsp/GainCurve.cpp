#include "dsp/GainCurve.h"

GainCurve::GainCurve(std::int32_t pointsPerSegment, std::int32_t segmentCount)
    : segmentCount(segmentCount < 1 ? 1 : segmentCount),
      boundaries(this->segmentCount, 0.0f),
      segments(this->segmentCount, CurveSegment(pointsPerSegment)) {}

GainCurve::~GainCurve() = default;

void GainCurve::build(float exponent, float threshold, float top) {
    if (threshold * 100.0f > top) top = threshold * 1000.0f;
    this->exponent = exponent;
    power.setExponent(exponent);
    this->threshold = threshold;
    valueAtThreshold = static_cast<float>(std::pow(static_cast<double>(threshold), exponent));
    const auto ratioPerSegment = static_cast<float>(
        std::pow(static_cast<double>(top) / threshold, 1.0 / static_cast<double>(segmentCount)));
    float low = threshold;
    for (std::int32_t i = 0; i < segmentCount; ++i) {
        boundaries[i] = ratioPerSegment * low;
        segments[i].build(exponent, low, boundaries[i]);
        low = boundaries[i];
    }
}
