#pragma once

#include "plugin/BrillianteerEffect.h"
#include "shell/Opcodes.h"

// A host that answers only the version request, and one started instance for the fuzz targets
// that need no fresh one per input.
inline PlxIntPtr quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, PlxIntPtr, void*,
                           float) {
    return opcode == hostRequestVersion ? 2200 : 0;
}

inline EffectRecord* sharedRecord() {
    static BrillianteerEffect* effect = [] {
        auto* created = new BrillianteerEffect(quietHost);
        created->startup();
        return created;
    }();
    return effect->getRecord();
}
