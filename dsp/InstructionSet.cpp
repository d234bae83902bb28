#include "dsp/InstructionSet.h"

#include <atomic>

namespace {

InstructionSet detect() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // The checks include the operating system's support for the wider register state.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq")) {
        return InstructionSet::avx512;
    }
    if (__builtin_cpu_supports("avx2")) return InstructionSet::avx2;
#endif
    return InstructionSet::baseline;
}

// Found when the library loads, so no audio call waits on a first-use guard.
const InstructionSet supported = detect();
std::atomic<int> active{-1};

}  // namespace

InstructionSet supportedInstructionSet() { return supported; }

InstructionSet activeInstructionSet() {
    const int set = active.load(std::memory_order_relaxed);
    if (set >= 0) return static_cast<InstructionSet>(set);
    return supportedInstructionSet();
}

InstructionSet limitInstructionSet(InstructionSet wanted) {
    const InstructionSet supported = supportedInstructionSet();
    const InstructionSet set =
        static_cast<int>(wanted) < static_cast<int>(supported) ? wanted : supported;
    active.store(static_cast<int>(set), std::memory_order_relaxed);
    return set;
}

const char* instructionSetName(InstructionSet set) {
    switch (set) {
        case InstructionSet::avx512: return "avx512";
        case InstructionSet::avx2: return "avx2";
        default: return "baseline";
    }
}
