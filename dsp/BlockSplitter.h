#pragma once

#include <cstdint>
#include <memory>

// Cuts a call into consecutive pieces of at most maxBlockSize frames and hands each piece to
// processPiece with channel pointers advanced to the piece. The pointers are advanced in
// views of its own, so the caller's pointer arrays are only read.
class BlockSplitter {
public:
    // An output count of 0 means as many outputs as inputs.
    BlockSplitter(std::int32_t inputChannels, std::int32_t maxBlockSize,
                  std::int32_t outputChannels);
    BlockSplitter(const BlockSplitter&) = delete;
    BlockSplitter& operator=(const BlockSplitter&) = delete;
    virtual ~BlockSplitter();

    void split(const float* const* inputs, float* const* outputs, std::int32_t frames);

protected:
    virtual void processPiece(const float* const* inputs, float* const* outputs,
                              std::int32_t frames) = 0;

private:
    std::int32_t inputChannels;
    std::int32_t outputChannels;
    std::int32_t maxBlockSize;
    std::unique_ptr<const float*[]> inputView;
    std::unique_ptr<float*[]> outputView;
};
