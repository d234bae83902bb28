#include "host/cli/BankLayout.h"

#include <cmath>
#include <cstring>

#include "host/cli/CommandError.h"

const std::vector<BankLayout::Column>& BankLayout::columns() {
    static const std::vector<Column> table = {
        {"InGain", "dB", -20.0, 6.0, 0.1, true, false},
        {"Gain", "%", 0.0, 100.0, 0.1, true, false},
        {"2nd", "%", 0.0, 100.0, 0.1, true, false},
        {"3rd", "%", 0.0, 100.0, 0.1, true, false},
        {"Mix", "%", 0.0, 100.0, 0.1, true, false},
        {"Solo", "", 0.0, 1.0, 1.0, true, true},
        {"Kick", "", 0.0, 1.0, 1.0, true, true},
        {"Freq", "Hz", 1000.0, 7000.0, 1000.0, true, false},
        {"Density", "dB", 0.0, 6.0, 1.0, true, false},
        {"Clip", "", 0.0, 1.0, 0.0, false, true},
        {"MeterL", "dB", -80.0, 0.0, 0.0, false, false},
        {"MeterR", "dB", -80.0, 0.0, 0.0, false, false},
    };
    return table;
}

float BankLayout::readBigEndianFloat(const unsigned char* bytes) {
    const std::uint32_t word = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                               (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

double BankLayout::plainValue(const Column& column, double normalized) {
    if (!column.normalized) return normalized;
    const float span = static_cast<float>(column.maximum - column.minimum);
    if (column.step > 0.0) {
        // The plug-in's own rounding: whole steps from the minimum; within a step of 0 is 0.
        const float step = static_cast<float>(column.step);
        const float steps = span / step;
        const float value = std::floor(static_cast<float>(normalized) * steps + 0.5f) * step +
                            static_cast<float>(column.minimum);
        return std::fabs(value) < step ? 0.0 : value;
    }
    return column.minimum + span * normalized;
}

std::vector<BankLayout::Program> BankLayout::decode(const std::vector<unsigned char>& bank,
                                                    const std::string& origin) {
    if (bank.size() != kBankSize) {
        throw CommandError(kExitSetting, origin + " is " + std::to_string(bank.size()) +
                                             " bytes; a bank is " + std::to_string(kBankSize) +
                                             " bytes (10 programs of 112)");
    }
    std::vector<Program> programs;
    for (std::size_t p = 0; p < kProgramCount; ++p) {
        const unsigned char* start = bank.data() + p * kProgramSize;
        Program program;
        for (std::size_t c = 0; c < columns().size(); ++c) {
            const float stored = readBigEndianFloat(start + 4 * c);
            program.values.push_back(plainValue(columns()[c], stored));
        }
        for (std::size_t i = 0; i < kNameSize && start[kNameOffset + i] != 0; ++i) {
            const unsigned char c = start[kNameOffset + i];
            program.name += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
        }
        programs.push_back(program);
    }
    return programs;
}
