#pragma once

#include "shell/EffectBaseEx.h"

// The exciter as the host sees it.
class BrillianteerEffect : public EffectBaseEx {
public:
    static constexpr std::int32_t kProgramCount = 10;
    static constexpr std::int32_t kParameterCount = 9;

    explicit BrillianteerEffect(HostCallback hostCallback);
    ~BrillianteerEffect() override;

    // Nothing to process until an engine exists: the outputs stay untouched.
    void process(float** inputs, float** outputs, std::int32_t frames) override;

    // Builds what the instance needs before the host sees it; false refuses the instance.
    bool startup();
};
