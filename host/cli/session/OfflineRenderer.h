#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "host/cli/io/AudioBuffer.h"

class PluginSession;

enum class ProcessMode { replacing, accumulating };

// Planar audio in pieces: one vector per file channel, each at least as long as the piece.
using Planar = std::vector<std::vector<float>>;

// Where a stream of audio comes from: `read` fills up to `frames` frames from the start of each
// channel and answers how many; 0 at the end.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    virtual int channelCount() const = 0;
    virtual std::int32_t read(Planar& channels, std::int32_t frames) = 0;
};

// Where it goes: `frames` frames from `offset` on in each channel.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void write(const Planar& channels, std::int32_t offset, std::int32_t frames) = 0;
};

// Runs audio through a started plug-in, block by block, as a host's audio thread would, holding
// only one piece of it at a time. A mono stream feeds every plug-in input; a mono result is the
// mean of the first two outputs (exactly the output when both agree). With latency compensation
// the first `latency` output frames are dropped and silence is run through for the tail, so
// output and input line up sample for sample and have the same length; without it the output is
// the first frames the plug-in gives, as long as the input.
class OfflineRenderer {
public:
    // The plug-in must already be started with this block size.
    OfflineRenderer(PluginSession& session, std::int32_t blockSize, ProcessMode mode);

    // `progress` is called now and then with the fraction done of `expectedFrames`.
    void stream(FrameSource& source, FrameSink& sink, bool compensateLatency,
                std::int64_t expectedFrames, const std::function<void(double)>& progress = {});
    // The same for a whole buffer in memory.
    AudioBuffer render(const AudioBuffer& input, bool compensateLatency,
                       const std::function<void(double)>& progress = {});
    // Output samples (over every channel) so far that were not finite.
    std::int64_t nonFiniteSamples() const { return nonFinite; }

    // Processes one block of at most blockSize frames from planar buffers of the plug-in's width.
    void processBlock(std::int32_t frames);
    std::vector<std::vector<float>>& inputs() { return inputChannels; }
    std::vector<std::vector<float>>& outputs() { return outputChannels; }

private:
    // Runs `frames` frames of `in` through the plug-in into `out`, block by block.
    void processPiece(const Planar& in, Planar& out, std::int32_t frames);

    PluginSession& session;
    std::int32_t blockSize;
    ProcessMode mode;
    std::vector<std::vector<float>> inputChannels;
    std::vector<std::vector<float>> outputChannels;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    std::int64_t nonFinite = 0;
};
