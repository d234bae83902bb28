#include <new>

#include "plugin/BrillianteerEffect.h"
#include "shell/Opcodes.h"

// C++ reserves the name `main` for programs, so the entry has another name in the source and
// is exported as `main`: by its assembler name here, by the module definition file on Windows.
#if defined(_WIN32)
extern "C" EffectRecord* pluginMain(HostCallback hostCallback);
#else
extern "C" __attribute__((visibility("default"))) EffectRecord* pluginMain(
    HostCallback hostCallback) __asm__("main");
#endif

extern "C" EffectRecord* pluginMain(HostCallback hostCallback) {
    if (!hostCallback) return nullptr;
    if (hostCallback(nullptr, hostRequestVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    BrillianteerEffect* effect = new (std::nothrow) BrillianteerEffect(hostCallback);
    if (!effect) return nullptr;
    if (effect->startup() == 0) {
        delete effect;
        return nullptr;
    }
    return effect->getRecord();
}
