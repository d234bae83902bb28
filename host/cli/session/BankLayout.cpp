#include "host/cli/session/BankLayout.h"

#include <cmath>
#include <cstring>

#include "host/cli/CommandError.h"
#include "host/cli/io/PrintableText.h"

namespace {

float readBigEndianFloat(const unsigned char* bytes) {
    const std::uint32_t word = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                               (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

}  // namespace

BankLayout::BankLayout() {
    std::size_t offset = 0;
    for (std::int32_t i = 0; i < parameters.getCount(); ++i) {
        const std::string unit = parameters.getUnit(i);
        if (parameters.hasDataBlock(i)) {
            // The meter block: two levels in dB, output channel 0 first.
            const std::size_t words = static_cast<std::size_t>(parameters.dataSizeOf(i)) / 4;
            for (std::size_t w = 0; w < words; ++w) {
                const std::string name =
                    words == 2 ? (w == 0 ? "MeterL" : "MeterR") : "Meter" + std::to_string(w + 1);
                table.push_back({name, "dB", i, offset + 4 * w, false, false, false});
            }
        } else {
            table.push_back({parameters.getName(i), unit == "ON/OFF" ? "" : unit, i, offset,
                             unit == "ON/OFF", parameters.getStep(i) >= 1.0f,
                             i < BrillianteerParameters::automatableCount || unit == "ON/OFF"});
        }
        offset += static_cast<std::size_t>(parameters.dataSizeOf(i));
    }
    nameOffset = offset;
}

double BankLayout::plainValue(const Column& column, float stored) const {
    if (column.parameter < BrillianteerParameters::automatableCount) {
        return parameters.fromNormalized(column.parameter, stored);
    }
    return stored;
}

std::string BankLayout::sizeRule() const {
    return "a bank is " + std::to_string(bankSize()) + " bytes (" + std::to_string(kProgramCount) +
           " programs of " + std::to_string(programSize()) + ")";
}

std::vector<BankLayout::Program> BankLayout::decode(const std::vector<unsigned char>& bank,
                                                    const std::string& origin) const {
    if (bank.size() != bankSize()) {
        throw CommandError(kExitSetting,
                           origin + " is " + std::to_string(bank.size()) + " bytes; " + sizeRule());
    }
    std::vector<Program> programs;
    for (std::size_t p = 0; p < kProgramCount; ++p) {
        const unsigned char* start = bank.data() + p * programSize();
        Program program;
        for (const Column& column : table) {
            const float stored = readBigEndianFloat(start + column.offset);
            const bool invalid =
                !std::isfinite(stored) || (column.normalized && (stored < 0.0f || stored > 1.0f));
            program.values.push_back(invalid ? stored : plainValue(column, stored));
            program.invalid.push_back(invalid);
        }
        std::string name;
        for (std::size_t i = 0; i < kNameSize && start[nameOffset + i] != 0; ++i) {
            name += static_cast<char>(start[nameOffset + i]);
        }
        program.name = printableText(name);
        programs.push_back(program);
    }
    return programs;
}
