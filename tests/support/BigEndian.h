#pragma once

#include <cstdint>
#include <cstring>

// Floats as the plug-in's chunks store them: big-endian, whatever the machine.
namespace big_endian {

inline float readFloat(const unsigned char* bytes) {
    const std::uint32_t word = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                               (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
    float value;
    std::memcpy(&value, &word, sizeof(value));
    return value;
}

inline void writeFloat(unsigned char* bytes, float value) {
    std::uint32_t word;
    std::memcpy(&word, &value, sizeof(word));
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(word >> (24 - 8 * i));
}

}  // namespace big_endian
