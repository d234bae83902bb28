#pragma once

#include <string>
#include <vector>

#include "tests/support/RecordingHost.h"

// An effect whose host writes the edit brackets it is sent ("begin 17", "end 17") into one log,
// which the tests also write the controls' notifications into, so the order of both shows.
namespace edit_brackets {

inline std::vector<std::string> events;

// Empties the log and has the recording host write the brackets into it.
inline void reset() {
    events.clear();
    recording_host::reset(1);
    recording_host::duringRequest = [](const recording_host::Request& r) {
        if (r.opcode == 43) events.push_back("begin " + std::to_string(r.index));
        if (r.opcode == 44) events.push_back("end " + std::to_string(r.index));
    };
}

using TestEffect = recording_host::RecordingEffect;

}  // namespace edit_brackets
