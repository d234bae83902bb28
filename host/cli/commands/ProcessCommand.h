#pragma once

#include <cstdint>
#include <string>

#include "host/cli/analysis/SignalLevels.h"
#include "host/cli/commands/Command.h"
#include "host/cli/session/OfflineRenderer.h"
#include "host/cli/session/PluginSettings.h"

// `plxhost process PLUGIN IN OUT [...]`: runs an audio file through the plug-in.
class ProcessCommand : public Command {
public:
    explicit ProcessCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    ProcessMode chooseMode(PluginSession& session) const;
    void printStats(std::int32_t latency, double sampleRate, SignalLevels& input,
                    SignalLevels& output, SignalLevels* added) const;

    CLI::App* command;
    std::string pluginPath;
    std::string inputPath;
    std::string outputPath;
    PluginSettings settings;
    std::int32_t blockSize = 512;
    std::string mode;
    std::string bits;
    bool compensateLatency = false;
    bool stats = false;
};
