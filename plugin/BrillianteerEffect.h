#pragma once

#include "shell/HostedEffect.h"

class BrillianteerEngine;
class BrillianteerParameters;

// The exciter as the host sees it: owns the parameter table and the engine, builds the engine
// when the audio configuration changes, and hands parameters and meters between the two.
class BrillianteerEffect : public HostedEffect {
public:
    static constexpr std::int32_t kProgramCount = 10;
    static constexpr std::int32_t kAutomatableCount = 9;

    explicit BrillianteerEffect(HostCallback hostCallback);
    ~BrillianteerEffect() override;

    void suspend() override;
    void resume() override;
    std::int32_t getCategory() override;
    void rebuildEngine() override;

    // Builds what the instance needs before the host sees it; 0 refuses the instance.
    virtual std::int32_t startup();
    // Null when the editor cannot be made: the plug-in then runs without one.
    virtual EditorBase* createEditor();
    // Null when the configuration cannot work or memory runs out: the plug-in then runs
    // without an engine until a usable configuration arrives.
    virtual BrillianteerEngine* createEngine(std::int32_t inputs, std::int32_t sampleRate,
                                             std::int32_t outputs);

    BrillianteerEngine* getEngine() const { return engine; }
    bool isEngineReady() const { return engineReady; }

protected:
    void processBlock(float** inputs, float** outputs, std::int32_t frames,
                      bool accumulate) override;

private:
    void publishMetersIfWanted();
    void silenceNonFinite(float** outputs, std::int32_t frames) const;

    BrillianteerEngine* engine = nullptr;
};
