#pragma once

#include <cstdint>

// The plug-in's LV2 ports in index order, shared by the adapter and the generator of the
// description, so the two cannot disagree. Saved sessions refer to ports by symbol: a symbol
// must never change, and a new port goes at the end.
namespace lv2_ports {

enum class Kind { AudioInput, AudioOutput, ControlInput, ControlOutput };

struct Port {
    const char* symbol;
    // Null for a control input, which takes the name of its parameter.
    const char* name;
    Kind kind;
    // The parameter a control input sets (its name, unit and range come from the parameter
    // table), or -1.
    std::int32_t parameter;
};

enum Index : std::uint32_t {
    InLeft,
    InRight,
    OutLeft,
    OutRight,
    FirstControl,  // control inputs: parameter i is port FirstControl + i
    Latency = FirstControl + 9,
    MeterLeft,
    MeterRight,
    Clip,
    Count
};

constexpr std::int32_t kControlCount = Latency - FirstControl;

// The URI the plug-in and its presets are known by.
constexpr const char* kPluginUri = "urn:quillmere:brillianteer";
// Keys of the saved state: the whole program bank as the plug-in's own chunk, and the current
// program.
constexpr const char* kBankKey = "urn:quillmere:brillianteer#bank";
constexpr const char* kProgramKey = "urn:quillmere:brillianteer#program";

// The meter ports read from this floor up to this many dB above full scale.
constexpr float kMeterMaximumDb = 6.0f;

// `index` below Count.
const Port& port(std::uint32_t index);

}  // namespace lv2_ports
