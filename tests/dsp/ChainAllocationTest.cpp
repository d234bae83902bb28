#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dsp/BrillianteerEngine.h"
#include "params/BrillianteerParameters.h"
#include "tests/dsp/ChainSignals.h"
#include "tests/dsp/InstructionSets.h"
#include "tests/support/AllocationCounter.h"

namespace {

using P = BrillianteerParameters;

TEST(ChainAllocationTest, TheAudioPathAllocatesNothingOnEveryKernelPath) {
    for (InstructionSet set : instruction_sets::runnable()) {
        SCOPED_TRACE(instructionSetName(set));
        const instruction_sets::Scope limit(set);
        BrillianteerParameters params;
        std::unique_ptr<BrillianteerEngine> engine = BrillianteerEngine::create(2, 44100, 2, 256);
        ASSERT_NE(engine, nullptr);
        std::vector<float> left = chain_signals::music(2000, 1),
                           right = chain_signals::music(2000, 2);
        std::vector<float> silence(2000, 0.0f), outLeft(2000), outRight(2000);
        const float* inputs[2] = {left.data(), right.data()};
        const float* silent[2] = {silence.data(), silence.data()};
        float* outputs[2] = {outLeft.data(), outRight.data()};

        allocation_counter::Scope scope;
        engine->start();
        engine->applyParameters(params);
        engine->process(inputs, outputs, 2000, false);
        engine->process(inputs, outputs, 2000, true);
        engine->process(inputs, outputs, 77, true);
        params.setValue(P::Freq, 6000.0f);
        params.setValue(P::Density, 5.0f);
        params.setValue(P::Kick, 1.0f);
        engine->applyParameters(params);
        engine->process(silent, outputs, 2000, false);
        engine->process(silent, outputs, 2000, true);
        engine->publishMeters(params);
        engine->stop();
        engine->publishMeters(params);
        EXPECT_EQ(scope.allocations(), 0u);
    }
}

TEST(ChainAllocationTest, TheCounterSeesAnEngineBeingBuilt) {
    allocation_counter::Scope scope;
    auto engine = BrillianteerEngine::create(1, 48000, 2, 64);
    EXPECT_GT(scope.allocations(), 0u);
}

}  // namespace
