#pragma once

#include <string>
#include <vector>

namespace CLI {
class Validator;
}

// The sample rates plug-ins of this interface are built for.
class SampleRates {
public:
    static const std::vector<int>& supported();
    static bool isSupported(double rate);
    // "44100, 48000, 88200 or 96000 Hz"
    static std::string listed();
    // Whole rates from 22050 to 768000 Hz. Below that a plug-in of this interface has no room
    // above its highest band, and at the rates of telephony and speech the exciter passes its
    // input through unprocessed: results there would look processed and not be.
    static bool isUsable(double rate);
    // "22050 to 768000 Hz"
    static std::string usableRange();
    // The check for a --rate option: a usable rate.
    static CLI::Validator usableCheck();
    // Throws CommandError (audio file) when a file's rate is not usable; `what` names the file.
    static void refuseUnusable(double rate, const std::string& what);
    // Queues the one-line warning for a rate outside the list; `what` names the source.
    static void warnIfUnsupported(double rate, const std::string& what);
};
