#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/EffectBaseEx.h"

// An effect whose host writes the edit brackets it is sent ("begin 17", "end 17") into one log,
// which the tests also write the controls' notifications into, so the order of both shows.
namespace edit_brackets {

inline std::vector<std::string>& events() {
    static std::vector<std::string> log;
    return log;
}

inline PlxIntPtr recordingHost(EffectRecord*, std::int32_t opcode, std::int32_t index, PlxIntPtr,
                               void*, float) {
    if (opcode == 43) events().push_back("begin " + std::to_string(index));
    if (opcode == 44) events().push_back("end " + std::to_string(index));
    return 1;
}

class TestEffect : public EffectBaseEx {
public:
    TestEffect() : EffectBaseEx(recordingHost, 1, 1) {}
    void process(float**, float**, std::int32_t) override {}
};

}  // namespace edit_brackets
