#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/cli/analysis/PluginAnalyzer.h"

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
    // What the measurements found, gathered before anything is written.
    struct Analysis {
        std::vector<ResponsePoint> response;
        std::int32_t latency = 0;
        HarmonicSpectrum harmonics;
        std::vector<std::string> switchedOff;  // the harmonic parameters found and set to 0
    };

    Analysis measure() const;
    void writeFiles(const Analysis& analysis) const;
    void drawPlots() const;
    void printSummary(const Analysis& analysis) const;

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
