#include "lv2/Lv2Ports.h"

#include "params/BrillianteerParameters.h"

namespace lv2_ports {

namespace {

using K = Kind;
using P = BrillianteerParameters;

constexpr Port kPorts[Count] = {
    {"in_l", K::AudioInput, -1},
    {"in_r", K::AudioInput, -1},
    {"out_l", K::AudioOutput, -1},
    {"out_r", K::AudioOutput, -1},
    {"in_gain", K::ControlInput, P::InGain},
    {"gain", K::ControlInput, P::Gain},
    {"second", K::ControlInput, P::Second},
    {"third", K::ControlInput, P::Third},
    {"mix", K::ControlInput, P::Mix},
    {"solo", K::ControlInput, P::Solo},
    {"kick", K::ControlInput, P::Kick},
    {"freq", K::ControlInput, P::Freq},
    {"density", K::ControlInput, P::Density},
    {"latency", K::ControlOutput, -1},
    {"meter_l", K::ControlOutput, -1},
    {"meter_r", K::ControlOutput, -1},
    {"clip", K::ControlOutput, -1},
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
