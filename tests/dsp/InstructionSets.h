#pragma once

#include <vector>

#include "dsp/InstructionSet.h"

namespace instruction_sets {

// Every set this machine runs, narrowest first: each kernel path a test can force.
inline std::vector<InstructionSet> runnable() {
    std::vector<InstructionSet> sets;
    for (InstructionSet set :
         {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
        if (static_cast<int>(set) <= static_cast<int>(supportedInstructionSet())) {
            sets.push_back(set);
        }
    }
    return sets;
}

// Limits the kernels to one set while it lives.
class Scope {
public:
    explicit Scope(InstructionSet set) { limitInstructionSet(set); }
    ~Scope() { limitInstructionSet(supportedInstructionSet()); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

}  // namespace instruction_sets
