#include "host/cli/commands/BenchCommand.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "host/cli/commands/NumberOptions.h"
#include "host/cli/io/DemoSignal.h"
#include "host/cli/session/OfflineRenderer.h"
#include "host/cli/session/PluginSession.h"

namespace {
constexpr double kBenchRate = 44100.0;
}

BenchCommand::BenchCommand(CLI::App& app) {
    command = app.add_subcommand("bench", "Measure the plug-in's speed: stereo, 44100 Hz");
    command->add_option("PLUGIN", pluginPath, "Plug-in library")->required();
    settings.addOptions(*command);
    command->add_option("--seconds", seconds, "Seconds of audio to process")
        ->check(number_options::finiteRange(0.1, 3600.0))
        ->capture_default_str();
    command->add_option("--block", blockSize, "Frames per process call")
        ->check(CLI::Range(1, 65536))
        ->capture_default_str();
}

bool BenchCommand::selected() const { return command->parsed(); }

void BenchCommand::run() {
    PluginSession session(pluginPath);
    settings.applyTo(session);
    const AudioBuffer music = DemoSignal(kBenchRate).render(seconds);
    const ProcessMode mode =
        session.hasFlag(kFlagOverwriting) ? ProcessMode::replacing : ProcessMode::accumulating;
    session.start(kBenchRate, blockSize);
    OfflineRenderer renderer(session, blockSize, mode);

    using Clock = std::chrono::steady_clock;
    Clock::duration inPlugin{};
    const std::int64_t frames = music.frames();
    std::int64_t calls = 0;
    for (std::int64_t position = 0; position < frames; position += blockSize) {
        const std::int32_t count =
            static_cast<std::int32_t>(std::min<std::int64_t>(blockSize, frames - position));
        for (std::size_t c = 0; c < renderer.inputs().size(); ++c) {
            const std::vector<float>& source = music.channels[c % music.channels.size()];
            std::copy_n(source.begin() + position, count, renderer.inputs()[c].begin());
        }
        const Clock::time_point start = Clock::now();
        renderer.processBlock(count);
        inPlugin += Clock::now() - start;
        ++calls;
    }
    session.stop();

    const double audioSeconds = static_cast<double>(frames) / kBenchRate;
    const double processSeconds = std::chrono::duration<double>(inPlugin).count();
    std::printf("plug-in    %s\n", pluginPath.c_str());
    std::printf("audio      %.1f s stereo at 44100 Hz, %lld calls of %d frames (%s)\n",
                audioSeconds, static_cast<long long>(calls), blockSize,
                mode == ProcessMode::replacing ? "replacing" : "accumulating");
    std::printf("time       %.4f s in the plug-in, %.3f ms per second of audio\n", processSeconds,
                1000.0 * processSeconds / audioSeconds);
    if (processSeconds > 0.0) {
        std::printf("real time  %.1fx faster than real time (%.2f%% of one core)\n",
                    audioSeconds / processSeconds, 100.0 * processSeconds / audioSeconds);
    }
}
