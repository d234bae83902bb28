#pragma once

#include <cstdint>

// Short value texts for the host's display fields: at most 8 characters and a terminator,
// so the caller's buffer must hold 9 bytes.
namespace value_text {

constexpr int kMaxChars = 8;

// Decimals as many as fit, truncated, never rounded; " Huge!  " when the integer part does not fit.
void floatToText(float value, char* text);
// "  -oo   " for a level of 0 or less.
void dbToText(float linear, char* text);
void hzToText(float samples, float sampleRate, char* text);
void msToText(float samples, float sampleRate, char* text);
void longToText(std::int32_t value, char* text);

}  // namespace value_text
