#include "dsp/FloatPower.h"

FloatPower::FloatPower() { setExponent(1.0f); }

void FloatPower::setExponent(float newExponent) {
    if (newExponent == exponent) return;
    exponent = newExponent;
    const double e = exponent;
    s1 = e;
    s2 = e * (e - 1.0) / 2.0;
    s3 = e * (e - 1.0) * (e - 2.0) / 6.0;
    // The series' tail beyond r^3 for |r| up to a little over 2^-9, plus rounding, in steps of
    // the result's last bit (a relative error of 2^-53 is at most two of them).
    const double rMax = 1.001 / (2 * pointCount);
    double term = std::fabs(s3) * rMax * rMax * rMax;
    double tail = 0.0;
    for (std::int32_t n = 4; n <= 12; ++n) {
        term *= std::fabs(e - (n - 1)) / n * rMax;
        tail += term;
    }
    const double bound = 2.0 * tail * 9007199254740992.0 + 256.0;
    doubtWidth = bound < (1 << 26) ? static_cast<std::uint32_t>(4.0 * bound) + 1u : (1u << 29);
    for (std::int32_t b = 0; b < 256; ++b) octaves[b] = std::exp2(e * (b - 127));
    for (std::int32_t i = 0; i < pointCount; ++i) {
        const double centre = 1.0 + (i + 0.5) / pointCount;
        const double inverse = std::nearbyint(268435456.0 / centre) / 268435456.0;
        points[i].inverse = inverse;
        points[i].power = std::pow(1.0 / inverse, e);
    }
}
