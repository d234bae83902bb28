#pragma once

#include <cstdint>

#include "params/ParameterSet.h"

// The plug-in's parameter table. The host sees the first nine as normalised values; Clip and
// the meter block are plain and reached only by the plug-in and its editor.
class BrillianteerParameters : public ParameterSet {
public:
    enum Index : std::int32_t {
        InGain,
        Gain,
        Second,
        Third,
        Mix,
        Solo,
        Kick,
        Freq,
        Density,
        Clip,
        Meters,  // data block: two float32 output levels in dB, channel 0 first
        Count
    };
    static constexpr std::int32_t automatableCount = 9;
    static constexpr std::int32_t meterBytes = 8;
    static constexpr float meterFloorDb = -80.0f;

    BrillianteerParameters();
};
