#include "host/cli/session/SampleRates.h"

#include <cstdio>

const std::vector<int>& SampleRates::supported() {
    static const std::vector<int> rates = {44100, 48000, 88200, 96000};
    return rates;
}

bool SampleRates::isSupported(double rate) {
    for (int supportedRate : supported()) {
        if (rate == supportedRate) return true;
    }
    return false;
}

std::string SampleRates::listed() {
    std::string text;
    const std::vector<int>& rates = supported();
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (i > 0) text += i + 1 == rates.size() ? " or " : ", ";
        text += std::to_string(rates[i]);
    }
    return text + " Hz";
}

void SampleRates::warnIfUnsupported(double rate, const std::string& what) {
    if (isSupported(rate)) return;
    std::fprintf(stderr,
                 "plxhost: warning: %s is at %g Hz, not a rate the plug-in runs at natively (%s); "
                 "processing anyway\n",
                 what.c_str(), rate, listed().c_str());
}
