#pragma once

#include <atomic>
#include <cstdint>

// One parameter's range, texts and hand-over state. `value` and `changed` cross between the
// audio thread and the user-interface thread; everything else is written only by definition.
struct ParameterDescriptor {
    static constexpr int textSize = 64;

    std::atomic<float> value{0.0f};  // plain units
    float defaultValue = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float step = 0.0f;       // 0 = continuous
    float scale = 1.0f;      // 1 / (maximum - minimum)
    float stepCount = 0.0f;  // (maximum - minimum) / step, 0 when continuous
    char unit[textSize] = {};
    char name[textSize] = {};
    std::int32_t dataSize = 4;  // exactly 4: one float kept in `value`, no data block
    std::atomic<std::int32_t> changed{0};
    std::int32_t notify = 0;
    std::int32_t reserved = -1;
};

static_assert(sizeof(std::atomic<float>) == sizeof(float) &&
                  std::atomic<float>::is_always_lock_free,
              "the value must stay a lock-free 32-bit float");
static_assert(sizeof(std::atomic<std::int32_t>) == sizeof(std::int32_t) &&
                  std::atomic<std::int32_t>::is_always_lock_free,
              "the changed flag must stay a lock-free 32-bit integer");
