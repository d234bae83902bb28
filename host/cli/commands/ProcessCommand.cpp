#include "host/cli/commands/ProcessCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/cli/CommandError.h"
#include "host/cli/analysis/PluginAnalyzer.h"
#include "host/cli/io/AudioFile.h"
#include "host/cli/io/ProgressBar.h"
#include "host/cli/session/OfflineRenderer.h"
#include "host/cli/session/PluginSession.h"
#include "host/cli/session/SampleRates.h"

namespace {

// Files shorter than this finish before a progress bar would tell anything.
constexpr double kProgressSeconds = 5.0;
constexpr double kStatsLowHz = 10000.0;

double meanLevel(const AudioBuffer& audio, double (*level)(const std::vector<float>&, double),
                 double sampleRate) {
    double sum = 0.0;
    for (const auto& channel : audio.channels)
        sum += std::pow(10.0, level(channel, sampleRate) / 10.0);
    return 10.0 * std::log10(sum / audio.channelCount());
}

double bandLevel(const std::vector<float>& channel, double sampleRate) {
    return PluginAnalyzer::bandLevelDbfs(channel, sampleRate, kStatsLowHz);
}

// A level for the report; the analyser's floor of -300 dBFS stands for digital silence.
std::string level(double dbfs) {
    if (dbfs <= -299.0) return "silent";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", dbfs);
    return text;
}

double peakOf(const AudioBuffer& audio) {
    double peak = -300.0;
    for (const auto& channel : audio.channels)
        peak = std::max(peak, PluginAnalyzer::peakDbfs(channel));
    return peak;
}

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
    AudioFile::majorFormatFor(outputPath);
    const AudioBuffer input = AudioFile::read(inputPath);
    PluginSession session(pluginPath);
    settings.applyTo(session);

    ProcessMode processMode =
        session.hasFlag(kFlagOverwriting) ? ProcessMode::replacing : ProcessMode::accumulating;
    if (mode == "replace") {
        if (!session.hasFlag(kFlagOverwriting)) {
            throw CommandError(kExitSetting,
                               "the plug-in offers no replacing process call; use --mode add");
        }
        processMode = ProcessMode::replacing;
    } else if (mode == "add") {
        processMode = ProcessMode::accumulating;
    }

    SampleRates::warnIfUnsupported(input.sampleRate, inputPath);
    session.start(input.sampleRate, blockSize);
    const std::int32_t latency = session.latency();
    OfflineRenderer renderer(session, blockSize, processMode);
    ProgressBar progress("processing",
                         static_cast<double>(input.frames()) / input.sampleRate > kProgressSeconds);
    const AudioBuffer output =
        renderer.render(input, compensateLatency, [&](double done) { progress.update(done); });
    progress.finish();
    session.stop();

    const std::int64_t clipped = AudioFile::write(outputPath, output, bits);
    if (clipped > 0) {
        std::fprintf(stderr,
                     "plxhost: warning: %lld samples clipped in %s; --bits 32f keeps them\n",
                     static_cast<long long>(clipped), outputPath.c_str());
    }
    if (stats) {
        const double inputBand = meanLevel(input, bandLevel, input.sampleRate);
        const double outputBand = meanLevel(output, bandLevel, input.sampleRate);
        std::printf("latency             %d samples at %g Hz (%s)\n", latency, input.sampleRate,
                    compensateLatency ? "compensated" : "not compensated");
        std::printf("peak                input %s, output %s\n", level(peakOf(input)).c_str(),
                    level(peakOf(output)).c_str());
        std::printf("above 10 kHz        input %s, output %s", level(inputBand).c_str(),
                    level(outputBand).c_str());
        if (inputBand > -299.0 && outputBand > -299.0) {
            std::printf(" (%+.1f dB)", outputBand - inputBand);
        }
        std::printf("\n");
        if (compensateLatency) {
            // Output and input line up, so their difference is what the plug-in added.
            AudioBuffer added = output;
            for (int c = 0; c < added.channelCount(); ++c) {
                for (std::size_t i = 0; i < added.channels[c].size(); ++i) {
                    added.channels[c][i] -= input.channels[c][i];
                }
            }
            std::printf("added above 10 kHz  %s\n",
                        level(meanLevel(added, bandLevel, input.sampleRate)).c_str());
        }
    }
}
