// plxhost's reading of option values: NAME=VALUE assignments against a parameter with a range
// and a unit, whole numbers, pixel positions and number pairs. Every text either parses into
// finite numbers or is refused with a CommandError.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/cli/CommandError.h"
#include "host/cli/commands/NumberOptions.h"
#include "host/cli/session/PluginSession.h"
#include "host/cli/session/PluginSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParameterInfo parameter;
    parameter.name = "Freq";
    parameter.unit = "Hz";
    parameter.minimum = 1000.0;
    parameter.maximum = 7000.0;
    try {
        const auto [name, value] = PluginSettings::splitAssignment(text);
        if (name.empty() && text.find('=') == 0) std::abort();
        PluginSettings::parseValue(parameter, value);
    } catch (const CommandError&) {
    }
    number_options::wholeNumber(text);
    try {
        number_options::point(text, "--click");
    } catch (const CommandError&) {
    }
    try {
        const number_options::Pair pair = number_options::pair(text, "--meters", "L,R");
        if (!std::isfinite(pair.first) || !std::isfinite(pair.second)) std::abort();
    } catch (const CommandError&) {
    }
    return 0;
}
