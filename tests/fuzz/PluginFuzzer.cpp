// Drives a fresh plug-in instance through a sequence of host calls decoded from the input:
// dispatcher opcodes with arbitrary arguments, parameter calls, chunk loads and audio calls.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/fuzz/SharedEffect.h"

namespace {

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool empty() const { return position >= size; }
    std::uint8_t byte() { return position < size ? data[position++] : 0; }
    std::int32_t int32() {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) word = (word << 8) | byte();
        return static_cast<std::int32_t>(word);
    }
    float value() {
        static const float special[] = {0.0f,
                                        1.0f,
                                        0.5f,
                                        -1.0f,
                                        2.0f,
                                        44100.0f,
                                        96000.0f,
                                        std::numeric_limits<float>::quiet_NaN(),
                                        std::numeric_limits<float>::infinity(),
                                        -1e30f,
                                        1e-40f};
        const std::uint8_t kind = byte();
        if (kind < 128) return special[kind % (sizeof(special) / sizeof(special[0]))];
        const std::int32_t bits = int32();
        float result;
        std::memcpy(&result, &bits, sizeof(result));
        return result;
    }
    // Up to `limit` bytes of the input, as a buffer of its own.
    std::vector<std::uint8_t> bytes(std::size_t limit) {
        const std::size_t wanted = std::min<std::size_t>(byte() * 8u + byte(), limit);
        std::vector<std::uint8_t> out;
        while (out.size() < wanted && !empty()) out.push_back(byte());
        return out;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

constexpr std::int32_t kMaxFrames = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader input(data, size);
    auto* effect = new BrillianteerEffect(quietHost);
    if (effect->startup() == 0) {
        delete effect;
        return 0;
    }
    EffectRecord* record = effect->getRecord();
    std::vector<float> audio(4 * kMaxFrames, 0.25f);
    float* inputs[2] = {audio.data(), audio.data() + kMaxFrames};
    float* outputs[2] = {audio.data() + 2 * kMaxFrames, audio.data() + 3 * kMaxFrames};
    alignas(8) std::uint8_t scratch[2048] = {};

    for (int steps = 0; steps < 64 && !input.empty(); ++steps) {
        switch (input.byte() % 8) {
            case 0: {
                std::int32_t opcode = input.byte() % 72;
                // Close ends the instance (below); an editor would open a real window on the
                // pointer.
                if (opcode == opClose || opcode == opEditorOpen) opcode = opIdentify;
                const std::int32_t index = static_cast<std::int8_t>(input.byte());
                PlxIntPtr value = static_cast<std::int16_t>(input.int32());
                if (opcode == opSetStateData)
                    value = value % static_cast<PlxIntPtr>(sizeof(scratch));
                const auto filler = input.bytes(sizeof(scratch));
                if (!filler.empty()) std::memcpy(scratch, filler.data(), filler.size());
                void* ptr = input.byte() % 4 == 0 ? nullptr : scratch;
                record->dispatchFn(record, opcode, index, value, ptr, input.value());
                break;
            }
            case 1:
                record->setParameterFn(record, static_cast<std::int8_t>(input.byte()),
                                       input.value());
                break;
            case 2: record->getParameterFn(record, static_cast<std::int8_t>(input.byte())); break;
            case 3:
            case 4: {
                const std::int32_t frames = (input.int32() % (kMaxFrames + 1));
                const bool missing = input.byte() % 16 == 0;
                auto process =
                    input.byte() % 2 ? record->processOverwritingFn : record->processAddingFn;
                process(record, missing ? nullptr : inputs, outputs, frames);
                break;
            }
            case 5: {
                auto chunk = input.bytes(1200);
                const bool preset = input.byte() % 2;
                record->dispatchFn(record, opSetStateData, preset,
                                   static_cast<PlxIntPtr>(chunk.size()),
                                   chunk.empty() ? nullptr : chunk.data(), 0.0f);
                break;
            }
            case 6: {
                void* chunk = nullptr;
                const PlxIntPtr bytes =
                    record->dispatchFn(record, opGetStateData, input.byte() % 2, 0, &chunk, 0.0f);
                if (chunk && bytes > 0)
                    std::memcpy(scratch, chunk, std::min<std::size_t>(bytes, 64));
                break;
            }
            case 7:
                record->dispatchFn(record, opSetSampleRate, 0, 0, nullptr, input.value());
                record->dispatchFn(record, opSetBlockSize, 0, input.int32() % (2 * kMaxFrames),
                                   nullptr, 0.0f);
                record->dispatchFn(record, opSetActive, 0, input.byte() % 2, nullptr, 0.0f);
                break;
        }
    }
    record->dispatchFn(record, opClose, 0, 0, nullptr, 0.0f);
    return 0;
}
