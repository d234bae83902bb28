#pragma once

#include <string>

#include "host/cli/commands/Command.h"
#include "host/cli/session/PluginSettings.h"

// `plxhost bank save PLUGIN FILE [...]` writes the plug-in's bank chunk to a file;
// `plxhost bank show FILE [--plugin PLUGIN]` prints a bank readably.
class BankCommand : public Command {
public:
    explicit BankCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    void save();
    void show();
    void showThroughPlugin();

    CLI::App* command;
    CLI::App* saveCommand;
    CLI::App* showCommand;
    std::string pluginPath;
    std::string bankPath;
    PluginSettings settings;
};
