#include "host/cli/commands/SynthCommand.h"

#include <CLI/CLI.hpp>

#include "host/cli/commands/NumberOptions.h"
#include "host/cli/io/AudioWriter.h"
#include "host/cli/io/DemoSignal.h"

SynthCommand::SynthCommand(CLI::App& app) {
    command = app.add_subcommand(
        "synth", "Write a short stereo test piece (drums, bass, chords) made by code");
    command->add_option("OUT", outputPath, "Audio file to write; its extension names the format")
        ->required();
    command->add_option("--seconds", seconds, "Length")
        ->check(number_options::finiteRange(0.1, 600.0))
        ->capture_default_str();
    command->add_option("--rate", sampleRate, "Sample rate in Hz")
        ->check(CLI::Range(8000, 192000))
        ->capture_default_str();
    command->add_option("--bits", bits, "Sample format: 16, 24 or 32f")
        ->check(CLI::IsMember({"16", "24", "32f"}))
        ->capture_default_str();
}

bool SynthCommand::selected() const { return command->parsed(); }

void SynthCommand::run() {
    AudioWriter::majorFormatFor(outputPath);
    AudioWriter::writeAll(outputPath, DemoSignal(sampleRate).render(seconds), bits);
}
