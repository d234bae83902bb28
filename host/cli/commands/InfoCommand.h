#pragma once

#include <string>

#include "host/cli/commands/Command.h"

// `plxhost info PLUGIN [--json]`: the record, parameters with their plain ranges, programs,
// category, vendor and the latency at each supported sample rate.
class InfoCommand : public Command {
public:
    explicit InfoCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    CLI::App* command;
    std::string pluginPath;
    bool json = false;
};
