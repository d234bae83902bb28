#include "dsp/FirKernelBank.h"

#include <cmath>

#include "dsp/FirKernelTables.h"

FirKernelBank::FirKernelBank(double sampleRate) {
    for (const FirKernelSet& candidate : firKernelSets) {
        if (candidate.sampleRate == sampleRate) {
            set = &candidate;
            this->sampleRate = static_cast<std::int32_t>(candidate.sampleRate);
        }
    }
}

double FirKernelBank::nearestSupportedRate(double sampleRate) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 0.0;
    double best = 0.0;
    double bestDistance = 0.0;
    for (const FirKernelSet& candidate : firKernelSets) {
        const double distance = std::fabs(std::log(sampleRate / candidate.sampleRate));
        if (best == 0.0 || distance < bestDistance) {
            best = candidate.sampleRate;
            bestDistance = distance;
        }
    }
    return best;
}

FirKernelBank FirKernelBank::forSampleRate(double sampleRate) {
    return FirKernelBank(nearestSupportedRate(sampleRate));
}

std::int32_t FirKernelBank::fullLength(std::int32_t index) const {
    if (set == nullptr || index < 0 || index >= kernelCount) return 0;
    return 2 * static_cast<std::int32_t>(set->kernels[index][0]) - 1;
}

const double* FirKernelBank::kernel(std::int32_t index, std::int32_t& length) {
    length = fullLength(index);
    if (length == 0) return nullptr;
    const double* entry = set->kernels[index];
    const std::int32_t half = static_cast<std::int32_t>(entry[0]);
    for (std::int32_t i = 0; i < half; ++i) {
        scratch[i] = entry[1 + i];
        scratch[2 * half - 2 - i] = entry[1 + i];
    }
    return scratch;
}
