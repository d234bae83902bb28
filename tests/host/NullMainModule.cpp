#include "shell/EffectRecord.h"

// A library whose `main` refuses every host: it answers null.
extern "C" __attribute__((visibility("default")))
EffectRecord* refusingMain(HostCallback) __asm__("main");

extern "C" EffectRecord* refusingMain(HostCallback) { return nullptr; }
