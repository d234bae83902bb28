#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

// x^exponent for a float x, computed in double and rounded to float: bit for bit what
// static_cast<float>(std::pow(double(x), exponent)) gives, at a fraction of its cost. With
// x = 2^k m, m = c (1 + r) for the nearest of 256 table points c, the power is
// 2^(exponent k) c^exponent (1 + r)^exponent, from two tables and a short series whose error
// bound follows from the exponent (2^-39 for the compressors' -1/4 and -1/3). When the estimate
// leaves the rounding to float in doubt (for those exponents about one level in two
// thousand), or x or the result lies outside the normal floats, pow decides.
class FloatPower {
public:
    FloatPower();

    // Rebuilds the tables when the exponent changes.
    void setExponent(float newExponent);
    float getExponent() const { return exponent; }

    float operator()(float x) const {
        float y;
        if (estimate(x, y)) return y;
        return static_cast<float>(std::pow(static_cast<double>(x), exponent));
    }

    // The power rounded to float when the estimate settles it; false when pow must decide.
    bool estimate(float x, float& result) const {
        std::uint32_t bits;
        std::memcpy(&bits, &x, sizeof(bits));
        const std::uint32_t biased = bits >> 23;  // a negative x lands above 255
        if (biased - 1u >= 254u) return false;
        const std::uint32_t fraction = bits & 0x7fffffu;
        const std::uint32_t i = fraction >> (23 - pointBits);
        const std::uint64_t mBits = (std::uint64_t{0x3ff} << 52) | (std::uint64_t{fraction} << 29);
        double m;
        std::memcpy(&m, &mBits, sizeof(m));
        // Exact: m has 24 significant bits and the inverse 28.
        const double r = m * points[i].inverse - 1.0;
        const double series = 1.0 + r * (s1 + r * (s2 + r * s3));
        const double y = octaves[biased] * (points[i].power * series);
        std::uint64_t yBits;
        std::memcpy(&yBits, &y, sizeof(yBits));
        // Normal floats only: double exponents 1023 - 126 to 1023 + 127.
        if (static_cast<std::uint32_t>(yBits >> 52) - 897u >= 254u) return false;
        // The 29 bits that rounding to float drops: too close to half a float step, and the
        // estimate's error could put it on the other side of the true value.
        // One unsigned comparison: a branch on the sign of the distance would go either way.
        const auto dropped = static_cast<std::uint32_t>(yBits & 0x1fffffffu);
        const std::uint32_t fromDoubtStart = dropped - (0x10000000u - doubtWidth + 1u);
        if (fromDoubtStart < 2u * doubtWidth - 1u) return false;
        result = static_cast<float>(y);
        return true;
    }

    // The estimate's tables, for kernels that evaluate it on several lanes at once.
    struct Tables {
        const double* octaves;  // 256
        const double* points;   // 256 pairs: inverse, power
        double s1, s2, s3;
        std::uint32_t doubtWidth;
    };
    Tables tables() const { return {octaves, &points[0].inverse, s1, s2, s3, doubtWidth}; }

private:
    static constexpr std::int32_t pointBits = 8;
    static constexpr std::int32_t pointCount = 1 << pointBits;

    struct Point {
        double inverse;  // 1 / c to 28 bits
        double power;    // c^exponent for that c
    };

    float exponent = 0.0f;
    // (1 + r)^e = 1 + e r + e (e - 1) / 2 r^2 + e (e - 1) (e - 2) / 6 r^3 + ..., |r| <= 2^-9
    double s1 = 0.0, s2 = 0.0, s3 = 0.0;
    // Double steps on either side of half a float step where the rounding is left to pow: four
    // times the estimate's error bound. Above 2^28 every level goes to pow.
    std::uint32_t doubtWidth = 1u << 29;
    double octaves[256];  // 2^(exponent (b - 127)) for the biased float exponent b
    Point points[pointCount];
};
