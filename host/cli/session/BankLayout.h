#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "params/BrillianteerParameters.h"

// The bank that Brillianteer saves, decoded without loading the plug-in: ten programs, each the
// parameters in index order as big-endian float32 (the nine host parameters normalised, Clip
// plain, the meter block as two levels in dB) followed by a 64-byte name. Sizes, names, units
// and the conversion to plain values come from the plug-in's own parameter table.
class BankLayout {
public:
    static constexpr std::size_t kProgramCount = 10;
    static constexpr std::size_t kNameSize = 64;

    struct Column {
        std::string name;
        std::string unit;
        std::int32_t parameter;
        std::size_t offset;  // bytes from the start of a program
        bool onOff;
        bool wholeSteps;  // the parameter moves in steps of 1 or more
        bool normalized;  // stored as 0..1 (the host parameters and the on-off Clip)
    };

    struct Program {
        std::string name;            // printable: other bytes escaped
        std::vector<double> values;  // plain, one per column
        // Per column: the stored word is not finite, or a parameter's lies outside 0..1. Its
        // value is then the stored word itself, which the plug-in never writes.
        std::vector<bool> invalid;
    };

    BankLayout();

    const std::vector<Column>& columns() const { return table; }
    std::size_t programSize() const { return nameOffset + kNameSize; }
    std::size_t bankSize() const { return programSize() * kProgramCount; }
    std::size_t nameOffsetInProgram() const { return nameOffset; }

    // "a bank is 1120 bytes (10 programs of 112)"
    std::string sizeRule() const;
    // Throws CommandError when the size is not that of a bank.
    std::vector<Program> decode(const std::vector<unsigned char>& bank,
                                const std::string& origin) const;
    // The plain value a stored word stands for, rounded as the plug-in rounds it.
    double plainValue(const Column& column, float stored) const;

private:
    BrillianteerParameters parameters;
    std::vector<Column> table;
    std::size_t nameOffset = 0;
};
