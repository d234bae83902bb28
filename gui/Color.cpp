#include "gui/Color.h"

const Color colorBlack{0, 0, 0, 0};
const Color colorWhite{255, 255, 255, 0};
const Color colorGrey{127, 127, 127, 0};
const Color colorRed{255, 0, 0, 0};
const Color colorGreen{0, 255, 0, 0};
const Color colorBlue{0, 0, 255, 0};
const Color colorYellow{255, 255, 0, 0};
const Color colorMagenta{255, 0, 255, 0};
const Color colorCyan{0, 255, 255, 0};
const Color colorTransparentKey{255, 255, 255, 0};
