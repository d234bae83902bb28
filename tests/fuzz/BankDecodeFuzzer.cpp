// plxhost's decoding of a bank file without the plug-in: any bytes either decode into
// printable names and flagged values or are refused with a CommandError.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/cli/CommandError.h"
#include "host/cli/session/BankLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const BankLayout layout;
    // Most inputs would be refused for their size alone; the first byte asks for a bank's size.
    std::vector<unsigned char> bank(data, data + size);
    if (size > 0 && data[0] % 2 == 0) bank.resize(layout.bankSize(), 0);
    try {
        for (const BankLayout::Program& program : layout.decode(bank, "bank")) {
            for (char c : program.name) {
                if (c < 0x20 || c > 0x7E) std::abort();
            }
            for (std::size_t c = 0; c < program.values.size(); ++c) {
                if (!std::isfinite(program.values[c]) && !program.invalid[c]) std::abort();
            }
        }
    } catch (const CommandError&) {
    }
    return 0;
}
