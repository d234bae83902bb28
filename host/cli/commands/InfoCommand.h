#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/cli/commands/Command.h"
#include "host/cli/session/PluginSession.h"

// `plxhost info PLUGIN [--json]`: the record, parameters with their plain ranges, programs,
// category, vendor and the latency at each supported sample rate.
class InfoCommand : public Command {
public:
    explicit InfoCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    // Everything the command prints, gathered before any of it is written.
    struct PluginReport {
        std::string path;
        EffectRecord record{};
        std::vector<ParameterInfo> parameters;
        std::vector<std::string> programs;
        std::int32_t category = 0;
        std::string vendor;
        std::int32_t interfaceVersion = 0;
        std::vector<std::pair<int, std::int32_t>> latencies;  // sample rate, samples
    };

    static PluginReport gather(PluginSession& session);
    static void writeJson(const PluginReport& report);
    static void writeText(const PluginReport& report);

    CLI::App* command;
    std::string pluginPath;
    bool json = false;
};
