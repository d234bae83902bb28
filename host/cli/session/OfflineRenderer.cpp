#include "host/cli/session/OfflineRenderer.h"

#include <algorithm>

#include "host/cli/session/PluginSession.h"

namespace {
// A plug-in announcing no channels still gets buffers for a stereo pair.
constexpr std::int32_t kMinimumChannels = 2;
}  // namespace

OfflineRenderer::OfflineRenderer(PluginSession& session, std::int32_t blockSize, ProcessMode mode)
    : session(session), blockSize(blockSize), mode(mode) {
    const auto width = [](std::int32_t count) {
        return static_cast<std::size_t>(std::max(count, kMinimumChannels));
    };
    inputChannels.assign(width(session.inputCount()),
                         std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
    outputChannels.assign(width(session.outputCount()),
                          std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
    for (auto& channel : inputChannels) inputPointers.push_back(channel.data());
    for (auto& channel : outputChannels) outputPointers.push_back(channel.data());
}

void OfflineRenderer::processBlock(std::int32_t frames) {
    // Untouched outputs read as silence, and accumulation starts from zero.
    for (auto& channel : outputChannels) std::fill(channel.begin(), channel.end(), 0.0f);
    if (mode == ProcessMode::replacing) {
        session.plugin().processOverwriting(inputPointers.data(), outputPointers.data(), frames);
    } else {
        session.plugin().processAdding(inputPointers.data(), outputPointers.data(), frames);
    }
}

AudioBuffer OfflineRenderer::render(const AudioBuffer& input, bool compensateLatency,
                                    const std::function<void(double)>& progress) {
    const std::int64_t frames = input.frames();
    const std::int64_t skip = compensateLatency ? session.latency() : 0;
    const std::int64_t total = frames + skip;
    const int fileChannels = input.channelCount();
    const std::int32_t pluginOutputs = std::max(session.outputCount(), std::int32_t{1});

    AudioBuffer output;
    output.sampleRate = input.sampleRate;
    output.sourceSubtype = input.sourceSubtype;
    output.channels.assign(static_cast<std::size_t>(fileChannels),
                           std::vector<float>(static_cast<std::size_t>(frames), 0.0f));

    std::int64_t nextReport = 0;
    for (std::int64_t position = 0; position < total; position += blockSize) {
        const std::int32_t count =
            static_cast<std::int32_t>(std::min<std::int64_t>(blockSize, total - position));
        for (std::size_t c = 0; c < inputChannels.size(); ++c) {
            const auto& source =
                input
                    .channels[std::min<std::size_t>(c, static_cast<std::size_t>(fileChannels - 1))];
            float* target = inputChannels[c].data();
            for (std::int32_t i = 0; i < count; ++i) {
                const std::int64_t at = position + i;
                target[i] = at < frames ? source[static_cast<std::size_t>(at)] : 0.0f;
            }
        }
        processBlock(count);
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int64_t at = position + i - skip;
            if (at < 0 || at >= frames) continue;
            for (int c = 0; c < fileChannels; ++c) {
                float value;
                if (pluginOutputs == 1) {
                    value = outputChannels[0][static_cast<std::size_t>(i)];
                } else if (fileChannels == 1) {
                    value = (outputChannels[0][static_cast<std::size_t>(i)] +
                             outputChannels[1][static_cast<std::size_t>(i)]) *
                            0.5f;
                } else {
                    value =
                        outputChannels[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)];
                }
                output.channels[static_cast<std::size_t>(c)][static_cast<std::size_t>(at)] = value;
            }
        }
        if (progress && position >= nextReport) {
            progress(static_cast<double>(position) / static_cast<double>(total));
            nextReport = position + total / 200 + 1;
        }
    }
    if (progress) progress(1.0);
    return output;
}
