#include "plugin/BrillianteerEffect.h"

BrillianteerEffect::BrillianteerEffect(HostCallback hostCallback)
    : EffectBaseEx(hostCallback, kProgramCount, kParameterCount) {
    setUniqueId(fourCharCode("Brlt"));
    setInputCount(2);
    setOutputCount(2);
}

BrillianteerEffect::~BrillianteerEffect() = default;

void BrillianteerEffect::process(float**, float**, std::int32_t) {}

bool BrillianteerEffect::startup() { return true; }
