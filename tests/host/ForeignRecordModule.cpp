#include <cstdint>
#include <cstring>
#include <limits>

#include "shell/EffectRecord.h"

// A library whose `main` answers a record this host must never trust: a zeroed block (another
// interface's magic); with HALF_RECORD the right magic and no functions at all; with
// ENDLESS_LATENCY a working record that claims a latency no plug-in has.
namespace {
EffectRecord record;

#ifdef ENDLESS_LATENCY
PlxIntPtr answerNothing(EffectRecord*, std::int32_t, std::int32_t, PlxIntPtr, void*, float) {
    return 0;
}
void processNothing(EffectRecord*, float**, float**, std::int32_t) {}
void setNothing(EffectRecord*, std::int32_t, float) {}
float getNothing(EffectRecord*, std::int32_t) { return 0.0f; }
#endif
}  // namespace

extern "C" __attribute__((visibility("default")))
EffectRecord* foreignMain(HostCallback) __asm__("main");

extern "C" EffectRecord* foreignMain(HostCallback) {
    std::memset(&record, 0, sizeof record);
#if defined(HALF_RECORD) || defined(ENDLESS_LATENCY)
    record.magic = kEffectMagic;
#endif
#ifdef ENDLESS_LATENCY
    record.dispatchFn = answerNothing;
    record.processAddingFn = processNothing;
    record.setParameterFn = setNothing;
    record.getParameterFn = getNothing;
    record.inputCount = 2;
    record.outputCount = 2;
    record.latency = std::numeric_limits<std::int32_t>::max();
#endif
    return &record;
}
