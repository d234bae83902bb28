#include "host/cli/session/SampleRates.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>

#include "host/cli/CommandError.h"
#include "host/cli/Warnings.h"

namespace {
constexpr double kLowestUsable = 22050.0;
constexpr double kHighestUsable = 768000.0;

std::string formatRate(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", rate);
    return text;
}
}  // namespace

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

bool SampleRates::isUsable(double rate) {
    return std::isfinite(rate) && rate == std::floor(rate) && rate >= kLowestUsable &&
           rate <= kHighestUsable;
}

std::string SampleRates::usableRange() {
    return formatRate(kLowestUsable) + " to " + formatRate(kHighestUsable) + " Hz";
}

CLI::Validator SampleRates::usableCheck() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            const double rate = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || !isUsable(rate))
                return text + " is not a usable sample rate (whole Hz, " + usableRange() + ")";
            return {};
        },
        "RATE");
}

void SampleRates::refuseUnusable(double rate, const std::string& what) {
    if (isUsable(rate)) return;
    throw CommandError(kExitAudio, what + " is at " + formatRate(rate) + " Hz; plug-ins run at " +
                                       usableRange() + " (natively " + listed() + ")");
}

void SampleRates::warnIfUnsupported(double rate, const std::string& what) {
    if (isSupported(rate)) return;
    warnings::add("warning: " + what + " is at " + formatRate(rate) +
                  " Hz, not a rate the plug-in runs at natively (" + listed() +
                  "); processing anyway");
}
