#include <cstring>

#include "shell/EffectRecord.h"

// A library whose `main` answers a record this host must never call through: a zeroed block
// (another interface's magic), or with HALF_RECORD the right magic and no functions at all.
namespace {
EffectRecord record;
}

extern "C" __attribute__((visibility("default")))
EffectRecord* foreignMain(HostCallback) __asm__("main");

extern "C" EffectRecord* foreignMain(HostCallback) {
    std::memset(&record, 0, sizeof record);
#ifdef HALF_RECORD
    record.magic = kEffectMagic;
#endif
    return &record;
}
