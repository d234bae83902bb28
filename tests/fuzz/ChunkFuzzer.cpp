// Loads the input as a chunk through the dispatcher: the first byte picks the bank or one
// program, the rest is the chunk. Then reads back what a host would show. One instance serves
// every input (building one costs more than a thousand loads); a load replaces what the last
// one left.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/fuzz/SharedEffect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    EffectRecord* record = sharedRecord();
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
    return 0;
}
