#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bank that Brillianteer saves: ten programs of 112 bytes, each nine normalised values,
// the Clip value, two meter levels in dB (all big-endian float32) and a 64-byte name.
// Decodes a bank file without loading the plug-in.
class BankLayout {
public:
    static constexpr std::size_t kProgramSize = 112;
    static constexpr std::size_t kProgramCount = 10;
    static constexpr std::size_t kBankSize = kProgramSize * kProgramCount;
    static constexpr std::size_t kNameOffset = 48;
    static constexpr std::size_t kNameSize = 64;

    struct Column {
        std::string name;
        std::string unit;
        double minimum;
        double maximum;
        double step;      // 0: continuous
        bool normalized;  // stored 0..1 and converted to plain; else stored plain
        bool onOff;
    };

    struct Program {
        std::string name;
        std::vector<double> values;  // plain, one per column
    };

    static const std::vector<Column>& columns();
    // Throws CommandError when the size is not that of a bank.
    static std::vector<Program> decode(const std::vector<unsigned char>& bank,
                                       const std::string& origin);
    // The plain value a normalised one stands for, rounded to the parameter's steps.
    static double plainValue(const Column& column, double normalized);
    static float readBigEndianFloat(const unsigned char* bytes);
};
