#include "host/cli/commands/InfoCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>
#include <vector>

#include "host/cli/io/JsonWriter.h"
#include "host/cli/io/PrintableText.h"
#include "host/cli/session/PluginSession.h"
#include "host/cli/session/SampleRates.h"

namespace {

constexpr std::int32_t kProbeBlockSize = 512;

std::string fourCharacters(std::int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c =
            static_cast<unsigned char>((static_cast<std::uint32_t>(code) >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
            return hex;
        }
        text += static_cast<char>(c);
    }
    return text;
}

std::vector<std::string> flagNames(std::int32_t flags) {
    const std::pair<std::int32_t, const char*> known[] = {
        {kFlagHasEditor, "editor"},
        {kFlagAcceptsMono, "mono input"},
        {kFlagOverwriting, "replacing process"},
        {kFlagStateData, "programs as chunks"},
    };
    std::vector<std::string> names;
    std::int32_t rest = flags;
    for (const auto& [bit, name] : known) {
        if (flags & bit) names.push_back(name);
        rest &= ~bit;
    }
    for (int bit = 0; bit < 31; ++bit) {
        if (rest & (1 << bit)) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%X", 1u << bit);
            names.push_back(text);
        }
    }
    return names;
}

std::string formatRange(const ParameterInfo& parameter) {
    if (!parameter.minimum || !parameter.maximum) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%g .. %g", *parameter.minimum, *parameter.maximum);
    return text;
}

}  // namespace

InfoCommand::InfoCommand(CLI::App& app) {
    command = app.add_subcommand("info",
                                 "Show what a plug-in offers: record, parameters, "
                                 "programs, category, vendor and latency");
    command->add_option("PLUGIN", pluginPath, "Plug-in library")->required();
    command->add_flag("--json", json, "Print JSON instead of text");
}

bool InfoCommand::selected() const { return command->parsed(); }

void InfoCommand::run() {
    PluginSession session(pluginPath);
    const PluginReport report = gather(session);
    if (json) {
        writeJson(report);
    } else {
        writeText(report);
    }
}

InfoCommand::PluginReport InfoCommand::gather(PluginSession& session) {
    PluginReport report;
    report.path = session.path();
    report.record = session.record();
    report.parameters = session.describeParameters();
    report.programs = session.programNames();
    report.category = session.category();
    report.vendor = session.vendorName();
    report.interfaceVersion = session.interfaceVersion();
    std::unique_ptr<PluginSession> probe = session.openAnother();
    for (int rate : SampleRates::supported()) {
        probe->start(rate, kProbeBlockSize);
        report.latencies.emplace_back(rate, probe->latency());
        probe->stop();
    }
    return report;
}

void InfoCommand::writeJson(const PluginReport& report) {
    const EffectRecord& record = report.record;
    JsonWriter out;
    out.beginObject();
    out.key("path"), out.value(report.path);
    out.key("magic"), out.value(fourCharacters(record.magic));
    out.key("pluginId"), out.value(fourCharacters(record.pluginId));
    out.key("pluginVersion"), out.value(record.pluginVersion);
    out.key("interfaceVersion"), out.value(report.interfaceVersion);
    out.key("vendor"), out.value(report.vendor);
    out.key("category"), out.value(report.category);
    out.key("inputCount"), out.value(record.inputCount);
    out.key("outputCount"), out.value(record.outputCount);
    out.key("programCount"), out.value(record.programCount);
    out.key("parameterCount"), out.value(record.parameterCount);
    out.key("flags"), out.value(record.flags);
    out.key("flagNames");
    out.beginArray();
    for (const std::string& name : flagNames(record.flags)) out.value(name);
    out.endArray();
    out.key("latency"), out.value(record.latency);
    out.key("outputInputRatio"), out.value(static_cast<double>(record.outputInputRatio));
    out.key("latencyBySampleRate");
    out.beginArray();
    for (const auto& [rate, samples] : report.latencies) {
        out.beginObject();
        out.key("sampleRate"), out.value(rate);
        out.key("latency"), out.value(samples);
        out.endObject();
    }
    out.endArray();
    out.key("programs");
    out.beginArray();
    for (std::size_t i = 0; i < report.programs.size(); ++i) {
        out.beginObject();
        out.key("index"), out.value(static_cast<int>(i));
        out.key("name"), out.value(report.programs[i]);
        out.endObject();
    }
    out.endArray();
    out.key("parameters");
    out.beginArray();
    for (const ParameterInfo& parameter : report.parameters) {
        out.beginObject();
        out.key("index"), out.value(parameter.index);
        out.key("name"), out.value(parameter.name);
        out.key("unit"), out.value(parameter.unit);
        out.key("display"), out.value(parameter.display);
        out.key("normalized"), out.value(static_cast<double>(parameter.normalized));
        out.key("minimum");
        parameter.minimum ? out.value(*parameter.minimum) : out.null();
        out.key("maximum");
        parameter.maximum ? out.value(*parameter.maximum) : out.null();
        out.endObject();
    }
    out.endArray();
    out.endObject();
    std::fputs(out.text().c_str(), stdout);
}

void InfoCommand::writeText(const PluginReport& report) {
    const EffectRecord& record = report.record;
    std::string flagsText;
    for (const std::string& name : flagNames(record.flags)) {
        flagsText += (flagsText.empty() ? "" : ", ") + name;
    }
    std::printf("plug-in     %s\n", printableText(report.path).c_str());
    std::printf("identifier  '%s', version %d (record magic '%s')\n",
                fourCharacters(record.pluginId).c_str(), record.pluginVersion,
                fourCharacters(record.magic).c_str());
    std::printf("vendor      %s\n",
                report.vendor.empty() ? "(not given)" : printableText(report.vendor).c_str());
    std::printf("category    %d\n", report.category);
    std::printf("interface   %d\n", report.interfaceVersion);
    std::printf("channels    %d in, %d out\n", record.inputCount, record.outputCount);
    std::printf("flags       0x%X (%s)\n", static_cast<unsigned>(record.flags),
                flagsText.empty() ? "none" : flagsText.c_str());
    std::printf("latency    ");
    for (std::size_t i = 0; i < report.latencies.size(); ++i) {
        std::printf("%s %d samples at %d Hz", i ? "," : "", report.latencies[i].second,
                    report.latencies[i].first);
    }
    std::printf("\nprograms    %zu\n", report.programs.size());
    for (std::size_t i = 0; i < report.programs.size(); ++i) {
        std::printf("  %2zu  %s\n", i, printableText(report.programs[i]).c_str());
    }
    std::vector<ParameterInfo> parameters = report.parameters;
    for (ParameterInfo& parameter : parameters) {
        parameter.name = printableText(parameter.name);
        parameter.unit = printableText(parameter.unit);
        parameter.display = printableText(parameter.display);
    }
    std::printf("parameters  %zu\n", parameters.size());
    if (parameters.empty()) return;
    int nameWidth = 4;
    int unitWidth = 4;
    int displayWidth = 5;
    for (const ParameterInfo& parameter : parameters) {
        nameWidth = std::max(nameWidth, static_cast<int>(parameter.name.size()));
        unitWidth = std::max(unitWidth, static_cast<int>(parameter.unit.size()));
        displayWidth = std::max(displayWidth, static_cast<int>(parameter.display.size()));
    }
    std::printf("   #  %-*s  %-*s  %-*s  normalised  range\n", nameWidth, "name", displayWidth,
                "value", unitWidth, "unit");
    for (const ParameterInfo& parameter : parameters) {
        std::printf("  %2d  %-*s  %-*s  %-*s  %-10.6f  %s\n", parameter.index, nameWidth,
                    parameter.name.c_str(), displayWidth, parameter.display.c_str(), unitWidth,
                    parameter.unit.c_str(), parameter.normalized, formatRange(parameter).c_str());
    }
}
