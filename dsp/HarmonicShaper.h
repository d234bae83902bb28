#pragma once

#include <cstdint>

// Makes the harmonics from the two compressed bands: q = k3 q^3 + k2 p^2, where p carries the
// second-harmonic band and q the third-harmonic band and receives the result. Computed in
// double and rounded to float once.
class HarmonicShaper {
public:
    HarmonicShaper(std::int32_t channels, float k2, float k3)
        : channels(channels), k2(k2), k3(k3) {}

    void setSecond(float newK2) { k2 = newK2; }
    void setThird(float newK3) { k3 = newK3; }
    float getSecond() const { return k2; }
    float getThird() const { return k3; }

    void process(const float* const* squared, float* const* cubed, std::int32_t frames) const;

private:
    std::int32_t channels;
    float k2;
    float k3;
};
