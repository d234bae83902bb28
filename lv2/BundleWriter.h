#pragma once

#include <cstdint>
#include <string>
#include <vector>

class EffectSession;

// Writes the bundle's Turtle files from the effect itself: the ports from the port table and
// the parameter table, the author from the vendor text the effect reports, the presets from
// its programs. Built and run with the adapter, so the description and the code cannot
// disagree.
class BundleWriter {
public:
    struct Options {
        std::string binary;    // the plug-in library's file name inside the bundle
        std::string uiBinary;  // the X11 user interface's library; empty: the bundle has none
        std::int32_t minorVersion = 0;
        std::int32_t microVersion = 0;
    };

    BundleWriter(EffectSession& effect, Options options);

    std::string manifest() const;
    std::string description() const;
    std::string presets() const;

private:
    struct Program {
        std::string name;
        std::vector<float> values;  // plain, one per control input
    };

    std::string portDescription(std::uint32_t index) const;
    std::string controlInputDescription(std::int32_t parameter) const;
    std::string presetUri(std::size_t program) const;

    EffectSession& effect;
    Options options;
    std::string vendor;
    std::vector<Program> programs;
    std::int32_t largestLatency = 0;
};
