#include "lv2/Lv2Ports.h"

#include "params/BrillianteerParameters.h"

namespace lv2_ports {

namespace {

using K = Kind;
using P = BrillianteerParameters;

constexpr Port kPorts[Count] = {
    {"in_l", "In L", K::AudioInput, -1},
    {"in_r", "In R", K::AudioInput, -1},
    {"out_l", "Out L", K::AudioOutput, -1},
    {"out_r", "Out R", K::AudioOutput, -1},
    {"in_gain", nullptr, K::ControlInput, P::InGain},
    {"gain", nullptr, K::ControlInput, P::Gain},
    {"second", nullptr, K::ControlInput, P::Second},
    {"third", nullptr, K::ControlInput, P::Third},
    {"mix", nullptr, K::ControlInput, P::Mix},
    {"solo", nullptr, K::ControlInput, P::Solo},
    {"kick", nullptr, K::ControlInput, P::Kick},
    {"freq", nullptr, K::ControlInput, P::Freq},
    {"density", nullptr, K::ControlInput, P::Density},
    {"latency", "Latency", K::ControlOutput, -1},
    {"meter_l", "Meter L", K::ControlOutput, -1},
    {"meter_r", "Meter R", K::ControlOutput, -1},
    {"clip", "Clip", K::ControlOutput, -1},
};

constexpr bool controlsFollowTheParameters() {
    for (std::int32_t i = 0; i < kControlCount; ++i) {
        if (kPorts[FirstControl + i].kind != K::ControlInput) return false;
        if (kPorts[FirstControl + i].parameter != i) return false;
    }
    return true;
}
static_assert(controlsFollowTheParameters(),
              "the adapter sets parameter i from port FirstControl + i");
static_assert(kControlCount == P::automatableCount, "one control input per host parameter");

}  // namespace

const Port& port(std::uint32_t index) { return kPorts[index]; }

}  // namespace lv2_ports
