#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "dsp/BrillianteerEngine.h"
#include "dsp/SignalChain.h"
#include "params/BrillianteerParameters.h"
#include "plugin/BrillianteerEffect.h"
#include "shell/Opcodes.h"

namespace {

PlxIntPtr quietHost(EffectRecord*, std::int32_t opcode, std::int32_t, PlxIntPtr, void*, float) {
    return opcode == hostRequestVersion ? 2200 : 0;
}

// The host's audio thread processes while its user-interface thread automates parameters,
// switches programs and reads the meters as the editor does. No lock exists between them.
TEST(PluginThreadsTest, AudioRunsWhileTheInterfaceChangesEverythingAndTheLastValueWins) {
    auto* effect = new BrillianteerEffect(quietHost);
    ASSERT_EQ(effect->startup(), 1);
    EffectRecord* record = effect->getRecord();
    record->dispatchFn(record, opSetSampleRate, 0, 0, nullptr, 44100.0f);
    record->dispatchFn(record, opSetBlockSize, 0, 256, nullptr, 0.0f);
    record->dispatchFn(record, opSetActive, 0, 1, nullptr, 0.0f);
    ParameterSet& parameters = *effect->getParameters();

    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> buffer(4 * 256);
        for (std::size_t i = 0; i < 256; ++i) buffer[i] = buffer[256 + i] = (i % 32) * 0.02f - 0.3f;
        float* inputs[2] = {buffer.data(), buffer.data() + 256};
        float* outputs[2] = {buffer.data() + 512, buffer.data() + 768};
        while (!done.load()) record->processOverwritingFn(record, inputs, outputs, 256);
    });

    float levels[2] = {};
    for (int round = 0; round < 3000; ++round) {
        record->setParameterFn(record, BrillianteerParameters::Freq, (round % 7) / 6.0f);
        record->setParameterFn(record, BrillianteerParameters::Density, (round % 6) / 6.0f);
        record->setParameterFn(record, BrillianteerParameters::Mix, (round % 100) / 100.0f);
        if (round % 50 == 0) record->dispatchFn(record, opSetProgram, 0, round % 10, nullptr, 0.0f);
        parameters.raiseMeterBusy();
        parameters.takeData(BrillianteerParameters::Meters, levels, 8, 0);
        parameters.lowerMeterBusy();
        parameters.setMeterRequest(true);
    }
    record->setParameterFn(record, BrillianteerParameters::Freq, 5.0f / 6.0f);
    record->setParameterFn(record, BrillianteerParameters::Density, 1.0f / 6.0f);
    // Let the audio side take the last values before it stops.
    while (parameters.isChanged(BrillianteerParameters::Freq) ||
           parameters.isChanged(BrillianteerParameters::Density))
        std::this_thread::yield();
    done.store(true);
    audio.join();

    ASSERT_NE(effect->getEngine(), nullptr);
    EXPECT_FLOAT_EQ(effect->getEngine()->getChain().getFrequencyIndex(), 5.0f);
    EXPECT_EQ(effect->getEngine()->getChain().getDensity(), 1.0f);
    EXPECT_GE(levels[0], -80.0f);
    EXPECT_EQ(parameters.getApplyBusy(), 0);
    EXPECT_EQ(parameters.getMeterBusy(), 0);
    record->dispatchFn(record, opClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
