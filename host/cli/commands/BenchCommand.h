#pragma once

#include <cstdint>
#include <string>

#include "host/cli/commands/Command.h"
#include "host/cli/session/PluginSettings.h"

// `plxhost bench PLUGIN [--seconds S] [--block N]`: how much faster than real time the plug-in
// runs in this host, stereo at 44100 Hz. Only the plug-in's process calls are timed.
class BenchCommand : public Command {
public:
    explicit BenchCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    CLI::App* command;
    std::string pluginPath;
    PluginSettings settings;
    double seconds = 10.0;
    std::int32_t blockSize = 512;
};
