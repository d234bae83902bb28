#include "params/BrillianteerParameters.h"

BrillianteerParameters::BrillianteerParameters() : ParameterSet(Count) {
    define(InGain, 0.0f, -20.0f, 6.0f, 0.1f, "dB", "InGain", 1, 1, 4);
    define(Gain, 50.0f, 0.0f, 100.0f, 0.1f, "%", "Gain", 1, 1, 4);
    define(Second, 50.0f, 0.0f, 100.0f, 0.1f, "%", "2nd", 1, 1, 4);
    define(Third, 50.0f, 0.0f, 100.0f, 0.1f, "%", "3rd", 1, 1, 4);
    define(Mix, 50.0f, 0.0f, 100.0f, 0.1f, "%", "Mix", 1, 1, 4);
    define(Solo, 0.0f, 0.0f, 1.0f, 1.0f, "ON/OFF", "Solo", 1, 1, 4);
    define(Kick, 0.0f, 0.0f, 1.0f, 1.0f, "ON/OFF", "Kick", 1, 1, 4);
    define(Clip, 0.0f, 0.0f, 1.0f, 1.0f, "ON/OFF", "Clip", 1, 1, 4);
    define(Freq, 3000.0f, 1000.0f, 7000.0f, 1000.0f, "Hz", "Freq", 1, 1, 4);
    define(Density, 3.0f, 0.0f, 6.0f, 1.0f, "dB", "Density", 1, 1, 4);
    define(Meters, -40.0f, -40.0f, 0.0f, 0.001f, "", "", 1, 1, meterBytes);

    const float silence[2] = {meterFloorDb, meterFloorDb};
    setData(Meters, silence, meterBytes, 0);
}
