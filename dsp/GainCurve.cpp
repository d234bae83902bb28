#include "dsp/GainCurve.h"

#include <algorithm>

#include "dsp/InstructionSet.h"
#include "dsp/WideKernels.h"

namespace {

constexpr std::int32_t flatSegments = 6;
constexpr std::int32_t flatValues = 33;

}  // namespace

GainCurve::GainCurve(std::int32_t pointsPerSegment, std::int32_t segmentCount)
    : segmentCount(segmentCount < 1 ? 1 : segmentCount),
      boundaries(this->segmentCount, 0.0f),
      segments(this->segmentCount, CurveSegment(pointsPerSegment)),
      lows(this->segmentCount),
      inverseSteps(this->segmentCount),
      values(static_cast<std::size_t>(this->segmentCount) * segments[0].getValues().size()) {}

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
    const std::size_t points = segments[0].getValues().size();
    bool rising = boundaries[0] > threshold;
    for (std::int32_t i = 0; i < segmentCount; ++i) {
        lows[i] = segments[i].getLow();
        inverseSteps[i] = segments[i].getInverseStep();
        std::copy(segments[i].getValues().begin(), segments[i].getValues().end(),
                  values.begin() + static_cast<std::ptrdiff_t>(i * points));
        if (i > 0) rising = rising && boundaries[i] > boundaries[i - 1];
    }
    flatShape = rising && segmentCount == flatSegments && points == flatValues;
}

void GainCurve::gainsAt(const float* levels, float* gains, std::int32_t count) const {
#if defined(BRL_WIDE_KERNELS)
    if (flatShape && activeInstructionSet() == InstructionSet::avx512) {
        const FloatPower::Tables p = power.tables();
        const GainCurveTables tables = {
            threshold,     valueAtThreshold, boundaries.data(), lows.data(), inverseSteps.data(),
            values.data(), p.octaves,        p.points,          p.s1,        p.s2,
            p.s3,          p.doubtWidth};
        // The kernel answers for 64 levels at a time; those where the direct power is in doubt
        // go the scalar way, which asks pow.
        for (std::int32_t base = 0; base < count; base += 64) {
            const std::int32_t n = std::min<std::int32_t>(count - base, 64);
            for (std::uint64_t left = avx512::gainCurve(tables, levels + base, gains + base, n);
                 left != 0; left &= left - 1) {
                const int u = base + __builtin_ctzll(left);
                gains[u] = gainAt(levels[u]);
            }
        }
        return;
    }
#endif
    for (std::int32_t u = 0; u < count; ++u) gains[u] = gainAt(levels[u]);
}
