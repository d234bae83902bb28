// Loads the input as a chunk through the dispatcher of a fresh instance: the first byte picks
// the bank or one program, the rest is the chunk. Then reads back what a host would show.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "plugin/BrillianteerEffect.h"
#include "shell/Opcodes.h"

namespace {
PlxIntPtr quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, PlxIntPtr, void*, float) {
    return opcode == hostRequestVersion ? 2200 : 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    auto* effect = new BrillianteerEffect(quietHost);
    if (effect->startup() == 0) {
        delete effect;
        return 0;
    }
    EffectRecord* record = effect->getRecord();
    // A copy of exactly the input's length, so a read past it is caught.
    std::vector<std::uint8_t> chunk(data + 1, data + size);
    record->dispatchFn(record, opSetStateData, data[0] % 2, static_cast<PlxIntPtr>(chunk.size()),
                       chunk.empty() ? nullptr : chunk.data(), 0.0f);
    char text[64];
    for (std::int32_t i = 0; i < record->parameterCount; ++i) {
        const float value = record->getParameterFn(record, i);
        if (!(value >= 0.0f && value <= 1.0f)) std::abort();
        record->dispatchFn(record, opGetParameterText, i, 0, text, 0.0f);
    }
    record->dispatchFn(record, opGetProgramName, 0, 0, text, 0.0f);
    void* saved = nullptr;
    record->dispatchFn(record, opGetStateData, data[0] % 2, 0, &saved, 0.0f);
    record->dispatchFn(record, opClose, 0, 0, nullptr, 0.0f);
    return 0;
}
