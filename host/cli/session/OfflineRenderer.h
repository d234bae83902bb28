#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "host/cli/io/AudioFile.h"

class PluginSession;

enum class ProcessMode { replacing, accumulating };

// Runs a whole buffer through a started plug-in, block by block, as a host's audio thread would.
// A mono buffer feeds every plug-in input; a mono result is the mean of the first two outputs
// (exactly the output when both agree). With latency compensation the first `latency` output
// frames are dropped and silence is run through for the tail, so output and input line up sample
// for sample and have the same length; without it the output is the first frames the plug-in
// gives, as long as the input.
class OfflineRenderer {
public:
    // The plug-in must already be started with this block size.
    OfflineRenderer(PluginSession& session, std::int32_t blockSize, ProcessMode mode);

    // `progress` is called with the fraction done, now and then.
    AudioBuffer render(const AudioBuffer& input, bool compensateLatency,
                       const std::function<void(double)>& progress = {});

    // Processes one block of at most blockSize frames from planar buffers of the plug-in's width.
    void processBlock(std::int32_t frames);
    std::vector<std::vector<float>>& inputs() { return inputChannels; }
    std::vector<std::vector<float>>& outputs() { return outputChannels; }

private:
    PluginSession& session;
    std::int32_t blockSize;
    ProcessMode mode;
    std::vector<std::vector<float>> inputChannels;
    std::vector<std::vector<float>> outputChannels;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
};
