#include "host/cli/commands/ProcessCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <optional>
#include <vector>

#include "host/cli/CommandError.h"
#include "host/cli/Warnings.h"
#include "host/cli/analysis/SignalLevels.h"
#include "host/cli/io/AudioReader.h"
#include "host/cli/io/AudioWriter.h"
#include "host/cli/io/ProgressBar.h"
#include "host/cli/session/OfflineRenderer.h"
#include "host/cli/session/PluginSession.h"
#include "host/cli/session/SampleRates.h"

namespace {

// Files shorter than this finish before a progress bar would tell anything.
constexpr double kProgressSeconds = 5.0;
constexpr double kStatsLowHz = 10000.0;

// A level for the report; -300 dBFS stands for digital silence.
std::string level(double dbfs) {
    if (dbfs <= -299.0) return "silent";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", dbfs);
    return text;
}

// The input file, read piece by piece into planar channels, measured on the way when asked.
class FileSource : public FrameSource {
public:
    FileSource(AudioReader& reader, SignalLevels* levels) : reader(reader), levels(levels) {}
    int channelCount() const override { return reader.channelCount(); }
    std::int32_t read(Planar& channels, std::int32_t frames) override {
        const std::size_t width = channels.size();
        interleaved.resize(static_cast<std::size_t>(frames) * width);
        const std::int32_t got = static_cast<std::int32_t>(reader.read(interleaved.data(), frames));
        for (std::size_t c = 0; c < width; ++c) {
            for (std::int32_t i = 0; i < got; ++i) {
                channels[c][static_cast<std::size_t>(i)] =
                    interleaved[static_cast<std::size_t>(i) * width + c];
            }
        }
        if (levels) levels->add(channels, 0, got);
        for (std::size_t c = 0; c < width && delayed; ++c) {
            (*delayed)[c].insert((*delayed)[c].end(), channels[c].begin(),
                                 channels[c].begin() + got);
        }
        return got;
    }
    // Keeps the input until the output frame it lines up with has been written.
    void keepFor(std::vector<std::deque<float>>* queue) { delayed = queue; }

private:
    AudioReader& reader;
    SignalLevels* levels;
    std::vector<std::deque<float>>* delayed = nullptr;
    std::vector<float> interleaved;
};

// The output file, written piece by piece, measured on the way when asked: its own levels and,
// with latency compensation, those of what the plug-in added to the input.
class FileSink : public FrameSink {
public:
    FileSink(AudioWriter& writer, SignalLevels* levels) : writer(writer), levels(levels) {}
    void write(const Planar& channels, std::int32_t offset, std::int32_t frames) override {
        const std::size_t width = channels.size();
        interleaved.resize(static_cast<std::size_t>(frames) * width);
        for (std::size_t c = 0; c < width; ++c) {
            for (std::int32_t i = 0; i < frames; ++i) {
                interleaved[static_cast<std::size_t>(i) * width + c] =
                    channels[c][static_cast<std::size_t>(offset + i)];
            }
        }
        writer.write(interleaved.data(), frames);
        if (levels) levels->add(channels, offset, frames);
        if (delayed) {
            difference.resize(width, std::vector<float>(static_cast<std::size_t>(frames)));
            for (std::size_t c = 0; c < width; ++c) {
                difference[c].resize(static_cast<std::size_t>(frames));
                std::deque<float>& input = (*delayed)[c];
                for (std::int32_t i = 0; i < frames; ++i) {
                    difference[c][static_cast<std::size_t>(i)] =
                        channels[c][static_cast<std::size_t>(offset + i)] - input.front();
                    input.pop_front();
                }
            }
            added->add(difference, 0, frames);
        }
    }
    void measureAdded(std::vector<std::deque<float>>* queue, SignalLevels* levels) {
        delayed = queue;
        added = levels;
    }

private:
    AudioWriter& writer;
    SignalLevels* levels;
    std::vector<std::deque<float>>* delayed = nullptr;
    SignalLevels* added = nullptr;
    std::vector<float> interleaved;
    Planar difference;
};

}  // namespace

ProcessCommand::ProcessCommand(CLI::App& app) {
    command = app.add_subcommand("process", "Run an audio file through the plug-in");
    command->add_option("PLUGIN", pluginPath, "Plug-in library")->required();
    command
        ->add_option("IN", inputPath,
                     "Input audio file, mono or stereo, any format libsndfile "
                     "reads")
        ->required();
    command->add_option("OUT", outputPath, "Output audio file; its extension names the format")
        ->required();
    settings.addOptions(*command);
    command->add_option("--block", blockSize, "Frames per process call")
        ->check(CLI::Range(1, 65536))
        ->capture_default_str();
    command
        ->add_option("--mode", mode,
                     "replace (overwriting call, the default where offered) or "
                     "add (accumulating call)")
        ->check(CLI::IsMember({"replace", "add"}));
    command->add_flag("--compensate-latency", compensateLatency,
                      "Drop the first `latency` frames and run silence for the tail, so output "
                      "and input line up");
    command
        ->add_option("--bits", bits,
                     "Sample format of OUT: 16, 24 or 32f (default: as IN "
                     "where the format allows)")
        ->check(CLI::IsMember({"16", "24", "32f"}));
    command->add_flag("--stats", stats,
                      "Print latency, peak levels and the energy above 10 kHz on stdout");
}

bool ProcessCommand::selected() const { return command->parsed(); }

void ProcessCommand::run() {
    AudioWriter::majorFormatFor(outputPath);
    AudioReader reader(inputPath);
    SampleRates::refuseUnusable(reader.sampleRate(), inputPath);
    PluginSession session(pluginPath);
    settings.applyTo(session);
    const ProcessMode processMode = chooseMode(session);

    SampleRates::warnIfUnsupported(reader.sampleRate(), inputPath);
    session.start(reader.sampleRate(), blockSize);
    const std::int32_t latency = session.latency();
    OfflineRenderer renderer(session, blockSize, processMode);
    AudioWriter writer(outputPath, reader.sampleRate(), reader.channelCount(), bits,
                       reader.subtype());

    const int channels = reader.channelCount();
    std::optional<SignalLevels> inputLevels;
    std::optional<SignalLevels> outputLevels;
    std::optional<SignalLevels> addedLevels;
    std::vector<std::deque<float>> pending(static_cast<std::size_t>(channels));
    if (stats) {
        inputLevels.emplace(channels, reader.sampleRate(), kStatsLowHz);
        outputLevels.emplace(channels, reader.sampleRate(), kStatsLowHz);
    }
    FileSource source(reader, inputLevels ? &*inputLevels : nullptr);
    FileSink sink(writer, outputLevels ? &*outputLevels : nullptr);
    if (stats && compensateLatency) {
        // Output and input line up, so their difference is what the plug-in added.
        addedLevels.emplace(channels, reader.sampleRate(), kStatsLowHz);
        source.keepFor(&pending);
        sink.measureAdded(&pending, &*addedLevels);
    }
    ProgressBar progress("processing", static_cast<double>(reader.frames()) / reader.sampleRate() >
                                           kProgressSeconds);
    renderer.stream(source, sink, compensateLatency, reader.frames(),
                    [&](double done) { progress.update(done); });
    progress.finish();
    session.stop();

    if (renderer.nonFiniteSamples() > 0) {
        throw CommandError(kExitPlugin, "the plug-in's output holds " +
                                            std::to_string(renderer.nonFiniteSamples()) +
                                            " samples that are not finite; " + outputPath +
                                            " not written");
    }
    writer.commit();
    if (writer.clipped() > 0) {
        warnings::add("warning: " + std::to_string(writer.clipped()) + " samples clipped in " +
                      outputPath + "; --bits 32f keeps them");
    }
    if (stats) {
        printStats(latency, reader.sampleRate(), *inputLevels, *outputLevels,
                   addedLevels ? &*addedLevels : nullptr);
    }
}

ProcessMode ProcessCommand::chooseMode(PluginSession& session) const {
    if (mode == "add") return ProcessMode::accumulating;
    if (mode == "replace" && !session.hasFlag(kFlagOverwriting)) {
        throw CommandError(kExitSetting,
                           "the plug-in offers no replacing process call; use --mode add");
    }
    return session.hasFlag(kFlagOverwriting) ? ProcessMode::replacing : ProcessMode::accumulating;
}

void ProcessCommand::printStats(std::int32_t latency, double sampleRate, SignalLevels& input,
                                SignalLevels& output, SignalLevels* added) const {
    const double inputBand = input.bandDbfs();
    const double outputBand = output.bandDbfs();
    std::printf("latency             %d samples at %g Hz (%s)\n", latency, sampleRate,
                compensateLatency ? "compensated" : "not compensated");
    std::printf("peak                input %s, output %s\n", level(input.peakDbfs()).c_str(),
                level(output.peakDbfs()).c_str());
    std::printf("above 10 kHz        input %s, output %s", level(inputBand).c_str(),
                level(outputBand).c_str());
    if (inputBand > -299.0 && outputBand > -299.0) {
        std::printf(" (%+.1f dB)", outputBand - inputBand);
    }
    std::printf("\n");
    if (added) std::printf("added above 10 kHz  %s\n", level(added->bandDbfs()).c_str());
}
