#include "shell/ValueText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace value_text {

namespace {
const char kHuge[] = " Huge!  ";
const char kMinusInfinity[] = "  -oo   ";
}  // namespace

void floatToText(float value, char* text) {
    const bool negative = value < 0.0f;
    const double v = std::fabs(static_cast<double>(value));
    // A non-negative value of 10000000 or more, or a negative one of 1000000 or more, has more
    // integer digits than fit beside the point; it is shown as too large rather than cut.
    const double limit = negative ? 1000000.0 : 10000000.0;
    if (!(v < limit)) {
        std::memcpy(text, kHuge, sizeof(kHuge));
        return;
    }

    char digits[kMaxChars + 1];
    int digitCount = 0;
    int used = negative ? 2 : 1;  // the sign and the point
    double n = std::floor(v);
    do {
        digits[digitCount++] = static_cast<char>('0' + static_cast<int>(std::fmod(n, 10.0)));
        n /= 10.0;
    } while (n >= 1.0 && used + digitCount < kMaxChars);

    int pos = 0;
    if (negative) text[pos++] = '-';
    while (digitCount > 0) text[pos++] = digits[--digitCount];
    text[pos++] = '.';

    const int decimals = kMaxChars - pos;
    if (decimals > 0) {
        double f = std::fmod(v, 1.0) * std::pow(10.0, decimals);
        for (int i = decimals - 1; i >= 0; --i) {
            int digit = 0;
            if (f > 0.0) {
                digit = static_cast<int>(std::fmod(f, 10.0));
                f /= 10.0;
            }
            text[pos + i] = static_cast<char>('0' + digit);
        }
        pos += decimals;
    }
    text[pos] = '\0';
}

void dbToText(float linear, char* text) {
    if (linear > 0.0f) {
        floatToText(static_cast<float>(20.0 * std::log10(linear)), text);
    } else {
        std::memcpy(text, kMinusInfinity, sizeof(kMinusInfinity));
    }
}

void hzToText(float samples, float sampleRate, char* text) {
    floatToText(samples == 0.0f ? 0.0f : sampleRate / samples, text);
}

void msToText(float samples, float sampleRate, char* text) {
    floatToText(static_cast<float>(samples * 1000.0 / sampleRate), text);
}

void longToText(std::int32_t value, char* text) {
    if (value >= 100000000) {
        std::memcpy(text, kHuge, sizeof(kHuge));
        return;
    }
    char wide[16];
    std::snprintf(wide, sizeof(wide), "%7d", static_cast<int>(value));
    std::memcpy(text, wide, kMaxChars);
    text[kMaxChars] = '\0';
}

}  // namespace value_text
