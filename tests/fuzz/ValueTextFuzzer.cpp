// Text typed into a host's parameter field, converted by the plug-in through the dispatcher:
// the first byte picks the parameter, the rest is the text. The value must stay in 0..1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/SharedEffect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    EffectRecord* record = sharedRecord();
    const std::int32_t index = static_cast<std::int8_t>(data[0]);
    char text[256] = {};
    std::memcpy(text, data + 1, std::min<std::size_t>(size - 1, sizeof text - 1));
    record->dispatchFn(record, opTextToParameter, index, 0, text, 0.0f);
    if (index >= 0 && index < record->parameterCount) {
        const float value = record->getParameterFn(record, index);
        if (!(value >= 0.0f && value <= 1.0f)) std::abort();
        char shown[64];
        record->dispatchFn(record, opGetParameterText, index, 0, shown, 0.0f);
    }
    return 0;
}
