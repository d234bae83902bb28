#pragma once

#include <complex>
#include <cstddef>
#include <vector>

// Radix-2 discrete Fourier transform for the measurements: X[k] = sum x[n] e^(-2 pi i k n / N).
class Fft {
public:
    // `size` must be a power of two.
    explicit Fft(std::size_t size);

    std::size_t size() const { return length; }
    // Transforms in place; `data` must hold size() values.
    void transform(std::vector<std::complex<double>>& data) const;
    // The first size()/2 + 1 bins of a real signal, zero-padded or cut to size().
    std::vector<std::complex<double>> realSpectrum(const std::vector<double>& signal) const;

    static std::size_t nextPowerOfTwo(std::size_t atLeast);

private:
    std::size_t length;
    std::vector<std::complex<double>> twiddles;
};
