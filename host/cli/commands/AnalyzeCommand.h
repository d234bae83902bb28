#pragma once

#include <cstdint>
#include <string>

#include "host/cli/commands/Command.h"
#include "host/cli/session/PluginSettings.h"

// `plxhost analyze PLUGIN [--set ...] [--rate R] --out DIR`: the magnitude response with the
// harmonics off and the spectrum the plug-in makes of a sine, as CSV files, a JSON summary and
// two PNG plots drawn by tools/plot_analysis.py.
class AnalyzeCommand : public Command {
public:
    explicit AnalyzeCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    void drawPlots() const;

    CLI::App* command;
    std::string pluginPath;
    PluginSettings settings;
    double sampleRate = 44100.0;
    std::int32_t blockSize = 512;
    std::string outputDirectory;
    double sineHz = 3000.0;
    double sineDbfs = -12.0;
    std::string plotScript;
    bool noPlots = false;
};
