#include "dsp/BiquadCascade.h"

#include <cmath>
#include <new>

#include "dsp/AllocationError.h"
#include "dsp/BiquadSection.h"

BiquadCascade::BiquadCascade(Kind kind, std::int32_t channels, double cutoffHz, double sampleRate,
                             std::int32_t order)
    : channels(channels > 0 ? channels : 0),
      sectionCount(order > 0 ? order / 2 : 0),
      sections(nullptr) {
    if (sectionCount == 0) return;
    sections = new (std::nothrow) BiquadSection*[sectionCount]();
    if (sections == nullptr) throw AllocationError();
    try {
        for (std::int32_t i = 0; i < sectionCount; ++i) {
            sections[i] = new BiquadSection(this->channels);
        }
    } catch (...) {
        release();
        throw AllocationError();
    }
    design(kind, cutoffHz, sampleRate, order);
}

BiquadCascade::~BiquadCascade() { release(); }

void BiquadCascade::release() {
    if (sections == nullptr) return;
    for (std::int32_t i = 0; i < sectionCount; ++i) delete sections[i];
    delete[] sections;
    sections = nullptr;
}

// The constants are the 12-digit 2*pi and pi the filters were tuned with; the arithmetic
// order below is part of the result.
void BiquadCascade::design(Kind kind, double cutoffHz, double sampleRate, std::int32_t order) {
    const std::int32_t evenOrder = order + (order & 1);
    const double w = cutoffHz * 6.28318530718 / sampleRate;
    const double sw = std::sin(w);
    const double cw = std::cos(w);
    for (std::int32_t i = 0; i < sectionCount; ++i) {
        const std::int32_t k = 2 * i + 1;
        const double d = std::sin(k * 3.14159265359 / (2 * evenOrder));
        const double alpha = d * sw;
        const double beta = 0.5 * (1 - alpha) / (1 + alpha);
        const double gamma = (0.5 + beta) * cw;
        const double a[2] = {-2 * gamma, 2 * beta};
        sections[i]->setDenominator(a);
        if (kind == Kind::lowPass) {
            const double h = (0.5 + beta - gamma) / 4;
            const double b[3] = {2 * h, 4 * h, 2 * h};
            sections[i]->setNumerator(b);
        } else {
            const double h = (0.5 + beta + gamma) / 4;
            const double b[3] = {2 * h, -4 * h, 2 * h};
            sections[i]->setNumerator(b);
        }
    }
}

void BiquadCascade::process(const float* const* inputs, float* const* outputs,
                            std::int32_t frames) {
    BiquadSection::processCascade(sections, sectionCount, channels, inputs, outputs, frames);
}

void BiquadCascade::processSeries(BiquadCascade& first, BiquadCascade& second,
                                  const float* const* inputs, float* const* outputs,
                                  std::int32_t frames) {
    const std::int32_t count = first.sectionCount + second.sectionCount;
    if (first.channels != second.channels || count > maxSeriesSections) {
        first.process(inputs, outputs, frames);
        second.process(outputs, outputs, frames);
        return;
    }
    BiquadSection* sections[maxSeriesSections];
    for (std::int32_t i = 0; i < first.sectionCount; ++i) sections[i] = first.sections[i];
    for (std::int32_t i = 0; i < second.sectionCount; ++i) {
        sections[first.sectionCount + i] = second.sections[i];
    }
    BiquadSection::processCascade(sections, count, first.channels, inputs, outputs, frames);
}
