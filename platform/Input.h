#pragma once

#include <cstdint>

// The state of the mouse and the keyboard at the moment of asking, and the clock.
namespace platform {

enum class Key { leftButton, middleButton, rightButton, shift, control, alt };

// Whether the key or button is held down now (not when some earlier event happened).
bool isKeyDown(Key key);
// The mouse position in screen pixels.
void mousePosition(int& x, int& y);
// Milliseconds since an arbitrary start; wraps around after 2^32.
std::uint32_t tickCount();
// Gives up the processor for about the given time.
void sleepMilliseconds(std::uint32_t milliseconds);
// The longest time between the two clicks of a double click, in milliseconds.
std::uint32_t doubleClickTime();

}  // namespace platform
