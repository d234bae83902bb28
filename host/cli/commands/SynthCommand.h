#pragma once

#include <string>

#include "host/cli/commands/Command.h"

// `plxhost synth OUT [--seconds S] [--rate R] [--bits B]`: writes the built-in test piece.
class SynthCommand : public Command {
public:
    explicit SynthCommand(CLI::App& app);
    bool selected() const override;
    void run() override;

private:
    CLI::App* command;
    std::string outputPath;
    double seconds = 8.0;
    int sampleRate = 44100;
    std::string bits = "24";
};
