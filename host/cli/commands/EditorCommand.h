#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/cli/commands/Command.h"
#include "host/cli/session/PluginSettings.h"

// `plxhost editor PLUGIN OUT.png [--set NAME=VALUE]... [--meters L,R] [--click X,Y]...
// [--drag X1,Y1:X2,Y2]... [--type TEXT]... [--about]`: opens the plug-in's editor in a display
// of its size, carries out the mouse and keyboard actions in the order given, idles until
// everything is drawn, writes the editor's picture and lists the requests the actions sent to
// the host (parameter changes with their values, edit brackets).
// `plxhost editor PLUGIN [OUT.png] --window [--meters L,R]`: the editor in a window for a person
// to use until they close it, each change printed as it happens (with --meters the tone plays
// on); OUT receives the last picture shown.
class EditorCommand : public Command {
public:
    explicit EditorCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    CLI::App* command;
    std::string pluginPath;
    std::string outputPath;
    PluginSettings settings;
    std::string meters;
    std::vector<std::string> clicks;
    std::vector<std::string> drags;
    std::vector<std::string> texts;
    bool about = false;
    bool window = false;
};
