#include "host/cli/analysis/Fft.h"

#include <cmath>
#include <stdexcept>
#include <utility>

Fft::Fft(std::size_t size) : length(size) {
    if (size == 0 || (size & (size - 1)) != 0) {
        throw std::invalid_argument("FFT size must be a power of two");
    }
    twiddles.resize(size / 2);
    for (std::size_t k = 0; k < size / 2; ++k) {
        const double angle = -2.0 * M_PI * static_cast<double>(k) / static_cast<double>(size);
        twiddles[k] = std::polar(1.0, angle);
    }
}

void Fft::transform(std::vector<std::complex<double>>& data) const {
    for (std::size_t i = 1, j = 0; i < length; ++i) {
        std::size_t bit = length >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (std::size_t span = 2; span <= length; span <<= 1) {
        const std::size_t stride = length / span;
        for (std::size_t start = 0; start < length; start += span) {
            for (std::size_t k = 0; k < span / 2; ++k) {
                const std::complex<double> odd = data[start + k + span / 2] * twiddles[k * stride];
                data[start + k + span / 2] = data[start + k] - odd;
                data[start + k] += odd;
            }
        }
    }
}

std::vector<std::complex<double>> Fft::realSpectrum(const std::vector<double>& signal) const {
    std::vector<std::complex<double>> data(length);
    for (std::size_t i = 0; i < length && i < signal.size(); ++i) data[i] = signal[i];
    transform(data);
    data.resize(length / 2 + 1);
    return data;
}

std::size_t Fft::nextPowerOfTwo(std::size_t atLeast) {
    std::size_t size = 1;
    while (size < atLeast) size <<= 1;
    return size;
}
