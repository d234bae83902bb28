#include "host/cli/session/OfflineRenderer.h"

#include <algorithm>
#include <cmath>

#include "host/cli/session/PluginSession.h"

namespace {
// A plug-in announcing no channels still gets buffers for a stereo pair.
constexpr std::int32_t kMinimumChannels = 2;
// Frames read, run and written at a time.
constexpr std::int32_t kPieceFrames = 8192;
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

void OfflineRenderer::processPiece(const Planar& in, Planar& out, std::int32_t frames) {
    const std::size_t fileChannels = in.size();
    const std::int32_t pluginOutputs = std::max(session.outputCount(), std::int32_t{1});
    for (std::int32_t done = 0; done < frames; done += blockSize) {
        const std::int32_t count = std::min(blockSize, frames - done);
        for (std::size_t c = 0; c < inputChannels.size(); ++c) {
            const float* source = in[std::min(c, fileChannels - 1)].data() + done;
            std::copy(source, source + count, inputChannels[c].begin());
        }
        processBlock(count);
        for (std::size_t c = 0; c < fileChannels; ++c) {
            float* target = out[c].data() + done;
            for (std::int32_t i = 0; i < count; ++i) {
                float value;
                if (pluginOutputs == 1) {
                    value = outputChannels[0][static_cast<std::size_t>(i)];
                } else if (fileChannels == 1) {
                    value = (outputChannels[0][static_cast<std::size_t>(i)] +
                             outputChannels[1][static_cast<std::size_t>(i)]) *
                            0.5f;
                } else {
                    value = outputChannels[c][static_cast<std::size_t>(i)];
                }
                target[i] = value;
            }
        }
    }
}

void OfflineRenderer::stream(FrameSource& source, FrameSink& sink, bool compensateLatency,
                             std::int64_t expectedFrames,
                             const std::function<void(double)>& progress) {
    const std::int64_t skip = compensateLatency ? session.latency() : 0;
    const std::size_t fileChannels = static_cast<std::size_t>(source.channelCount());
    // Whole blocks, and enough frames that reading and writing cost little per frame.
    const std::int32_t pieceFrames = blockSize * std::max(1, kPieceFrames / blockSize);
    Planar in(fileChannels, std::vector<float>(static_cast<std::size_t>(pieceFrames)));
    Planar out(fileChannels, std::vector<float>(static_cast<std::size_t>(pieceFrames)));
    const double total = static_cast<double>(std::max<std::int64_t>(expectedFrames, 1) + skip);

    std::int64_t framesRead = 0;
    std::int64_t processed = 0;
    bool ended = false;
    for (;;) {
        std::int32_t count = 0;
        if (!ended) {
            count = source.read(in, pieceFrames);
            ended = count == 0;
            framesRead += count;
        }
        if (ended) {
            // Silence for the tail, until the output is as long as the input.
            const std::int64_t left = framesRead + skip - processed;
            if (left <= 0) break;
            count = static_cast<std::int32_t>(std::min<std::int64_t>(pieceFrames, left));
            for (auto& channel : in) std::fill_n(channel.begin(), count, 0.0f);
        }
        processPiece(in, out, count);
        const std::int32_t first =
            static_cast<std::int32_t>(std::clamp<std::int64_t>(skip - processed, 0, count));
        for (const auto& channel : out) {
            for (std::int32_t i = first; i < count; ++i) {
                if (!std::isfinite(channel[static_cast<std::size_t>(i)])) ++nonFinite;
            }
        }
        if (first < count) sink.write(out, first, count - first);
        processed += count;
        if (progress) progress(std::min(1.0, static_cast<double>(processed) / total));
    }
    if (progress) progress(1.0);
}

namespace {

class BufferSource : public FrameSource {
public:
    explicit BufferSource(const AudioBuffer& buffer) : buffer(buffer) {}
    int channelCount() const override { return buffer.channelCount(); }
    std::int32_t read(Planar& channels, std::int32_t frames) override {
        const std::int32_t count =
            static_cast<std::int32_t>(std::min<std::int64_t>(frames, buffer.frames() - position));
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const auto start = buffer.channels[c].begin() + position;
            std::copy(start, start + count, channels[c].begin());
        }
        position += count;
        return count;
    }

private:
    const AudioBuffer& buffer;
    std::int64_t position = 0;
};

class BufferSink : public FrameSink {
public:
    explicit BufferSink(AudioBuffer& buffer) : buffer(buffer) {}
    void write(const Planar& channels, std::int32_t offset, std::int32_t frames) override {
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const auto start = channels[c].begin() + offset;
            buffer.channels[c].insert(buffer.channels[c].end(), start, start + frames);
        }
    }

private:
    AudioBuffer& buffer;
};

}  // namespace

AudioBuffer OfflineRenderer::render(const AudioBuffer& input, bool compensateLatency,
                                    const std::function<void(double)>& progress) {
    AudioBuffer output;
    output.sampleRate = input.sampleRate;
    output.sourceSubtype = input.sourceSubtype;
    output.channels.assign(static_cast<std::size_t>(input.channelCount()), {});
    for (auto& channel : output.channels) channel.reserve(static_cast<std::size_t>(input.frames()));
    BufferSource source(input);
    BufferSink sink(output);
    stream(source, sink, compensateLatency, input.frames(), progress);
    return output;
}
