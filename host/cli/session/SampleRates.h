#pragma once

#include <string>
#include <vector>

// The sample rates plug-ins of this interface are built for.
class SampleRates {
public:
    static const std::vector<int>& supported();
    static bool isSupported(double rate);
    // "44100, 48000, 88200 or 96000 Hz"
    static std::string listed();
    // Prints the one-line warning for a rate outside the list; `what` names the source.
    static void warnIfUnsupported(double rate, const std::string& what);
};
