#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "shell/EffectBaseEx.h"
#include "shell/EffectRecord.h"

// The host's side of the record for tests that check what an effect asks of its host: the
// callback writes every request down, answers one chosen value and can act while a request is
// in flight. One program has one host, so the record is global; reset() starts a test afresh.
namespace recording_host {

struct Request {
    EffectRecord* effect;
    std::int32_t opcode;
    std::int32_t index;
    PlxIntPtr value;
    void* ptr;
    float opt;
};

inline std::vector<Request> requests;
// What every request answers.
inline PlxIntPtr answer = 0;
// Runs inside the callback, after the request is written down and before it is answered.
inline std::function<void(const Request&)> duringRequest;

inline void reset(PlxIntPtr answerWith = 0) {
    requests.clear();
    answer = answerWith;
    duringRequest = nullptr;
}

inline PlxIntPtr callback(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                          PlxIntPtr value, void* ptr, float opt) {
    const Request request{effect, opcode, index, value, ptr, opt};
    requests.push_back(request);
    if (duringRequest) duringRequest(request);
    return answer;
}

inline std::vector<std::int32_t> opcodes() {
    std::vector<std::int32_t> result;
    for (const Request& r : requests) result.push_back(r.opcode);
    return result;
}

// An effect with one input and one output that does nothing but talk to the recording host.
class RecordingEffect : public EffectBaseEx {
public:
    RecordingEffect() : EffectBaseEx(callback, 1, 1) {}
    void process(float**, float**, std::int32_t) override {}
};

}  // namespace recording_host
