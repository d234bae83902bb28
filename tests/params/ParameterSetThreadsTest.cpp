#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "params/BrillianteerParameters.h"

namespace {

using P = BrillianteerParameters;

class ParameterSetThreadsTest : public ::testing::Test {
protected:
    BrillianteerParameters parameters;
};

// The writer sets every automatable parameter through bursts of rising values, recording each
// value after it is set, and waits after each burst until the taker has checked it. The taker
// hands changes over as the engine does (isChanged, then takeValue). Whenever a parameter is not
// flagged, the taker must already hold at least the value recorded before it looked, and after
// each burst it must hold the burst's last value: a value written during a take is flagged again.
TEST_F(ParameterSetThreadsTest, LastWrittenValueAlwaysReachesTheTaker) {
    constexpr int bursts = 500;
    constexpr int writesPerBurst = 40;
    std::atomic<int> recorded[P::automatableCount] = {};
    std::atomic<int> burstsWritten{0};
    std::atomic<int> burstsChecked{0};

    std::thread writer([&] {
        for (int burst = 0; burst < bursts; ++burst) {
            for (int write = 1; write <= writesPerBurst; ++write) {
                for (std::int32_t i = 0; i < P::automatableCount; ++i) {
                    parameters.setValue(i, static_cast<float>(burst * writesPerBurst + write));
                    recorded[i].store(burst * writesPerBurst + write);
                }
            }
            burstsWritten.store(burst + 1);
            while (burstsChecked.load() <= burst) std::this_thread::yield();
        }
    });

    float taken[P::automatableCount] = {};
    int lost = 0;
    auto handOver = [&] {
        for (std::int32_t i = 0; i < P::automatableCount; ++i) {
            const int atLeast = recorded[i].load();
            if (parameters.isChanged(i)) {
                taken[i] = parameters.takeValue(i);
            } else if (taken[i] < static_cast<float>(atLeast)) {
                ++lost;
            }
        }
    };
    for (int checked = 0; checked < bursts;) {
        handOver();
        if (burstsWritten.load() > checked) {
            handOver();
            const float last = static_cast<float>((checked + 1) * writesPerBurst);
            for (float value : taken) lost += value != last;
            burstsChecked.store(++checked);
        }
    }
    writer.join();

    EXPECT_EQ(lost, 0);
    for (std::int32_t i = P::automatableCount; i < P::Count; ++i) parameters.takeValue(i);
    EXPECT_EQ(parameters.getChangedCount(), 0);
}

// The audio side publishes pairs of equal levels as fast as it can, heedless of `meterBusy`,
// while the editor reads them as it does at idle. A pair with different halves is a torn block.
TEST_F(ParameterSetThreadsTest, MeterBlockIsWrittenAndReadWhole) {
    constexpr int wantedChanges = 2000;
    // Enough distinct pairs to have overlapped many writes; a loaded machine may take longer.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
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
    while (distinct < wantedChanges && std::chrono::steady_clock::now() < deadline) {
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
