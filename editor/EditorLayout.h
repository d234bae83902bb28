#pragma once

#include <cstdint>

#include "gui/Rect.h"

// Where the editor's controls sit on its background picture and which picture each one shows
// (window pixels; right and bottom exclusive). The editor builds its window from this table and
// the tests check the artwork and the controls' pictures against the same one.
namespace editor_layout {

// The ten bitmaps of the module's resources, the background first.
enum Art : std::int32_t {
    backgroundArt = 1001,
    aboutArt,
    densitySwitchArt,
    frequencySwitchArt,
    kickArt,
    soloArt,
    clipLampArt,
    meterOnArt,
    meterOffArt,
    handleArt
};
constexpr int artCount = 10;

// Input, Gain, 2nd, 3rd and Mix; each fader's track is the background under it.
constexpr int faderCount = 5;
constexpr Rect faders[faderCount] = {{38, 93, 50, 198},
                                     {76, 93, 88, 198},
                                     {114, 93, 126, 198},
                                     {152, 93, 164, 198},
                                     {190, 93, 202, 198}};
constexpr Rect numberFields[faderCount] = {{33, 204, 56, 213},
                                           {72, 204, 93, 213},
                                           {110, 204, 131, 213},
                                           {147, 204, 168, 213},
                                           {185, 204, 206, 213}};

// Buttons show the upper or lower half of their picture, switches one of its three thirds.
constexpr Rect soloButton{21, 59, 55, 76};
constexpr Rect kickButton{64, 59, 98, 76};
constexpr Rect clipLamp{235, 44, 248, 57};
constexpr Rect frequencySwitch{108, 24, 158, 40};
constexpr Rect densitySwitch{166, 24, 216, 40};
constexpr Rect frequencyField{111, 63, 152, 73};
constexpr Rect densityField{168, 63, 210, 73};

constexpr Rect meters[2] = {{254, 71, 267, 199}, {273, 71, 286, 199}};
constexpr int meterSteps = 30;

// A click on the logo opens the about screen, which writes the version in this line.
constexpr Rect aboutClickArea{10, 10, 100, 40};
constexpr Rect versionLine{56, 200, 140, 215};

}  // namespace editor_layout
