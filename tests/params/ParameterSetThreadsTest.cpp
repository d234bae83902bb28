#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "params/BrillianteerParameters.h"

namespace {

using P = BrillianteerParameters;

class ParameterSetThreadsTest : public ::testing::Test {
protected:
    static void waitUntilAtLeast(const std::atomic<int>& counter, int target) {
        while (counter.load() < target) std::this_thread::yield();
    }

    BrillianteerParameters parameters;
};

// The writer sets every automatable parameter in bursts while the taker hands changes over
// as the engine does (isChanged, then takeValue). After each burst the taker drains what is
// flagged and must hold the burst's last value for every parameter.
TEST_F(ParameterSetThreadsTest, LastWrittenValueAlwaysReachesTheTaker) {
    constexpr int bursts = 1500;
    constexpr int writesPerBurst = 40;
    auto valueOf = [](int burst, int write) {
        return static_cast<float>(burst * writesPerBurst + write + 1);
    };
    std::atomic<int> burstsWritten{0};
    std::atomic<int> burstsChecked{0};

    std::thread writer([&] {
        for (int burst = 0; burst < bursts; ++burst) {
            for (int write = 0; write < writesPerBurst; ++write) {
                for (std::int32_t i = 0; i < P::automatableCount; ++i) {
                    parameters.setValue(i, valueOf(burst, write));
                }
            }
            burstsWritten.store(burst + 1);
            waitUntilAtLeast(burstsChecked, burst + 1);
        }
    });

    float taken[P::automatableCount] = {};
    int lost = 0;
    auto takeChanged = [&] {
        for (std::int32_t i = 0; i < P::automatableCount; ++i) {
            if (parameters.isChanged(i)) taken[i] = parameters.takeValue(i);
        }
    };
    for (int checked = 0; checked < bursts;) {
        takeChanged();
        if (burstsWritten.load() > checked) {
            takeChanged();
            for (float value : taken) lost += value != valueOf(checked, writesPerBurst - 1);
            burstsChecked.store(++checked);
        }
    }
    writer.join();

    EXPECT_EQ(lost, 0);
    for (std::int32_t i = 0; i < P::automatableCount; ++i) EXPECT_FALSE(parameters.isChanged(i));
    for (std::int32_t i = P::automatableCount; i < P::Count; ++i) parameters.takeValue(i);
    EXPECT_EQ(parameters.getChangedCount(), 0);
}

// The audio side publishes pairs of equal levels as fast as it can, heedless of `meterBusy`,
// while the editor reads them as it does at idle. A pair with different halves is a torn block.
TEST_F(ParameterSetThreadsTest, MeterBlockIsWrittenAndReadWhole) {
    constexpr int wantedChanges = 2000;
    constexpr int maxReads = 10000000;
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};

    std::thread audio([&] {
        float level = -79.0f;
        started.store(true);
        while (!done.load()) {
            const float pair[2] = {level, level};
            parameters.setData(P::Meters, pair, P::meterBytes, 0);
            if (parameters.getMeterRequest() && parameters.getMeterBusy() <= 0) {
                parameters.setMeterRequest(false);
            }
            level = level >= 0.0f ? -79.0f : level + 0.5f;
        }
    });

    int torn = 0;
    int distinct = 0;
    float previous = -80.0f;
    while (!started.load()) std::this_thread::yield();
    for (int i = 0; i < maxReads && distinct < wantedChanges; ++i) {
        parameters.raiseMeterBusy();
        float levels[2] = {};
        parameters.takeData(P::Meters, levels, P::meterBytes, 0);
        parameters.lowerMeterBusy();
        parameters.setMeterRequest(true);
        torn += levels[0] != levels[1];
        distinct += levels[0] != previous;
        previous = levels[0];
    }
    done.store(true);
    audio.join();

    EXPECT_EQ(torn, 0);
    EXPECT_EQ(distinct, wantedChanges);
    EXPECT_EQ(parameters.getMeterBusy(), 0);
}

}  // namespace
