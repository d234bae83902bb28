#include "lv2/BundleWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include "lv2/EffectSession.h"
#include "lv2/Lv2Ports.h"
#include "params/BrillianteerParameters.h"
#include "params/ParameterSet.h"
#include "shell/Opcodes.h"

namespace {

using namespace lv2_ports;

constexpr const char* kProductName = "Brillianteer";
// The rates the chain serves; the latency port's range covers the largest latency among them.
constexpr float kServedRates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f};
constexpr std::size_t kTextSize = 64;

const char* const kPrefixes =
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

// The shortest decimal with a point that reads back as the same float, so Turtle reads it as
// a decimal number.
std::string number(float value) {
    char text[64];
    for (int decimals = 1; decimals <= 12; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) return text;
    }
    std::snprintf(text, sizeof text, "%.9e", static_cast<double>(value));
    return text;
}

// A Turtle string literal; the text may hold any bytes a program name can.
std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            result += '\\';
            result += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(c));
            result += escape;
        } else {
            result += c;
        }
    }
    return result + "\"";
}

std::string unitOf(const std::string& unit) {
    if (unit == "dB") return "units:db";
    if (unit == "%") return "units:pc";
    if (unit == "Hz") return "units:hz";
    return "";
}

bool isSwitch(const ParameterSet& table, std::int32_t parameter) {
    return std::strcmp(table.getUnit(parameter), "ON/OFF") == 0;
}

std::string text(EffectSession& effect, std::int32_t opcode) {
    char buffer[kTextSize] = {};
    effect.dispatch(opcode, 0, 0, buffer);
    buffer[kTextSize - 1] = '\0';
    return buffer;
}

}  // namespace

BundleWriter::BundleWriter(EffectSession& effect, Options options)
    : effect(effect), options(std::move(options)) {
    vendor = text(effect, opGetVendorName);
    const ParameterSet& table = effect.parameters();
    for (std::int32_t k = 0; k < effect.programCount(); ++k) {
        effect.dispatch(opSetProgram, 0, k);
        Program program{text(effect, opGetProgramName), {}};
        for (std::int32_t i = 0; i < kControlCount; ++i)
            program.values.push_back(table.getValue(i));
        programs.push_back(std::move(program));
    }
    effect.dispatch(opSetProgram, 0, 0);
    for (const float rate : kServedRates) {
        effect.dispatch(opSetSampleRate, 0, 0, nullptr, rate);
        effect.dispatch(opSetActive, 0, 1);
        if (effect.latency() > largestLatency) largestLatency = effect.latency();
        effect.dispatch(opSetActive, 0, 0);
    }
}

std::string BundleWriter::presetUri(std::size_t program) const {
    return std::string(kPluginUri) + "#program" + std::to_string(program + 1);
}

std::string BundleWriter::manifest() const {
    std::ostringstream out;
    out << kPrefixes;
    out << "<" << kPluginUri << ">\n    a lv2:Plugin ;\n    lv2:binary <" << options.binary
        << "> ;\n    rdfs:seeAlso <brillianteer.ttl> .\n";
    for (std::size_t k = 0; k < programs.size(); ++k) {
        out << "\n<" << presetUri(k) << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << kPluginUri
            << "> ;\n    rdfs:seeAlso <presets.ttl> .\n";
    }
    if (!options.uiBinary.empty()) {
        out << "\n<" << kPluginUri << "#ui>\n    a ui:X11UI ;\n    ui:binary <" << options.uiBinary
            << "> ;\n    lv2:requiredFeature ui:idleInterface ;\n"
            << "    lv2:optionalFeature ui:parent , ui:resize , ui:touch ;\n"
            << "    lv2:extensionData ui:idleInterface , ui:showInterface";
        // The meters and the clip lamp follow the output ports.
        for (std::uint32_t index : {MeterLeft, MeterRight, Clip}) {
            out << " ;\n    ui:portNotification [\n        ui:plugin <" << kPluginUri
                << "> ;\n        lv2:symbol \"" << port(index).symbol
                << "\" ;\n        ui:protocol ui:floatProtocol\n    ]";
        }
        out << " .\n";
    }
    return out.str();
}

std::string BundleWriter::description() const {
    std::ostringstream out;
    out << kPrefixes;
    out << "<" << kPluginUri << "#project>\n    a doap:Project ;\n    doap:name "
        << quoted(kProductName) << " ;\n    doap:maintainer [\n        foaf:name " << quoted(vendor)
        << "\n    ] .\n\n";
    out << "<" << kPluginUri << ">\n    a lv2:Plugin , lv2:SpectralPlugin ;\n"
        << "    lv2:project <" << kPluginUri << "#project> ;\n"
        << "    doap:name " << quoted(kProductName) << " ;\n"
        << "    lv2:minorVersion " << options.minorVersion << " ;\n"
        << "    lv2:microVersion " << options.microVersion << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , bufsz:boundedBlockLength , opts:options , "
           "urid:map ;\n"
        << "    opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
        << "    lv2:extensionData state:interface ;\n";
    if (!options.uiBinary.empty()) out << "    ui:ui <" << kPluginUri << "#ui> ;\n";
    out << "    lv2:port ";
    for (std::uint32_t index = 0; index < Count; ++index) {
        out << (index == 0 ? "" : " , ") << portDescription(index);
    }
    out << " .\n";
    return out.str();
}

std::string BundleWriter::portDescription(std::uint32_t index) const {
    const Port& p = port(index);
    std::ostringstream out;
    out << "[\n        a ";
    switch (p.kind) {
        case Kind::AudioInput: out << "lv2:AudioPort , lv2:InputPort"; break;
        case Kind::AudioOutput: out << "lv2:AudioPort , lv2:OutputPort"; break;
        case Kind::ControlInput: out << "lv2:ControlPort , lv2:InputPort"; break;
        case Kind::ControlOutput: out << "lv2:ControlPort , lv2:OutputPort"; break;
    }
    out << " ;\n        lv2:index " << index << " ;\n        lv2:symbol " << quoted(p.symbol);
    if (p.kind == Kind::ControlInput) return out.str() + controlInputDescription(p.parameter);
    out << " ;\n        lv2:name " << quoted(p.name);
    switch (index) {
        case Latency:
            out << " ;\n        lv2:portProperty lv2:reportsLatency , lv2:integer"
                << " ;\n        lv2:designation lv2:latency ;\n        lv2:minimum 0 ;\n"
                << "        lv2:maximum " << largestLatency << " ;\n        units:unit units:frame";
            break;
        case MeterLeft:
        case MeterRight:
            out << " ;\n        lv2:minimum " << number(BrillianteerParameters::meterFloorDb)
                << " ;\n        lv2:maximum " << number(kMeterMaximumDb)
                << " ;\n        units:unit units:db";
            break;
        case Clip:
            out << " ;\n        lv2:portProperty lv2:toggled ;\n        lv2:minimum 0.0 ;\n"
                << "        lv2:maximum 1.0";
            break;
        default: break;
    }
    return out.str() + "\n    ]";
}

std::string BundleWriter::controlInputDescription(std::int32_t parameter) const {
    const ParameterSet& table = effect.parameters();
    const float minimum = table.getMinimum(parameter);
    const float maximum = table.getMaximum(parameter);
    const float step = table.getStep(parameter);
    const std::string unit = table.getUnit(parameter);
    const float defaultValue =
        table.fromNormalized(parameter, table.getDefaultNormalized(parameter));
    std::ostringstream out;
    out << " ;\n        lv2:name " << quoted(table.getName(parameter)) << " ;\n        lv2:default "
        << number(defaultValue) << " ;\n        lv2:minimum " << number(minimum)
        << " ;\n        lv2:maximum " << number(maximum);
    if (isSwitch(table, parameter)) {
        out << " ;\n        lv2:portProperty lv2:toggled";
    } else if (step >= 1.0f) {
        // Whole steps: every step is a scale point; steps wider than one unit are the only
        // values the parameter takes.
        out << " ;\n        lv2:portProperty lv2:integer"
            << (step > 1.0f ? " , lv2:enumeration" : "");
        const auto steps = static_cast<std::int32_t>(std::lround((maximum - minimum) / step));
        for (std::int32_t k = 0; k <= steps; ++k) {
            const float value = minimum + static_cast<float>(k) * step;
            out << " ;\n        lv2:scalePoint [ rdfs:label "
                << quoted(std::to_string(std::lround(value)) + " " + unit) << " ; rdf:value "
                << number(value) << " ]";
        }
    }
    if (!unitOf(unit).empty()) out << " ;\n        units:unit " << unitOf(unit);
    return out.str() + "\n    ]";
}

std::string BundleWriter::presets() const {
    std::ostringstream out;
    out << kPrefixes;
    for (std::size_t k = 0; k < programs.size(); ++k) {
        out << "<" << presetUri(k) << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << kPluginUri
            << "> ;\n    rdfs:label " << quoted(programs[k].name) << " ;\n    lv2:port ";
        for (std::int32_t i = 0; i < kControlCount; ++i) {
            out << (i == 0 ? "[\n" : " , [\n") << "        lv2:symbol "
                << quoted(port(FirstControl + static_cast<std::uint32_t>(i)).symbol)
                << " ;\n        pset:value "
                << number(programs[k].values[static_cast<std::size_t>(i)]) << "\n    ]";
        }
        out << " .\n\n";
    }
    return out.str();
}
