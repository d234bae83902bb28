#pragma once

#include <cstdint>
#include <memory>

#include "shell/EffectRecord.h"

class ParameterSet;

// One exciter, created as the module's `main` creates it and driven through its record as any
// host drives it: LV2 is one more host of the same effect. Beside the record, only the
// parameter table is reached, as the editor reaches it: for the meters and for converting the
// values the LV2 ports carry.
class EffectSession {
public:
    // Null when the effect cannot be created. A host that hears the effect's requests (the
    // user interface, for its editor's changes) gives its own callback, which answers the rest
    // through answerRequest.
    static std::unique_ptr<EffectSession> create(HostCallback callback = &answerRequest);
    // Sends close, after which the effect has destroyed itself.
    ~EffectSession();
    EffectSession(const EffectSession&) = delete;
    EffectSession& operator=(const EffectSession&) = delete;

    PlxIntPtr dispatch(std::int32_t opcode, std::int32_t index = 0, PlxIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    void setParameter(std::int32_t index, float normalized);
    void processReplacing(float** inputs, float** outputs, std::int32_t frames);
    std::int32_t latency() const { return record->latency; }
    std::int32_t programCount() const { return record->programCount; }
    ParameterSet& parameters() const { return table; }
    // The host's own pointer in the record, for its callback to find it by.
    void setHostData(void* data) { record->hostData = data; }

    // The requests the effect sends to its host. Called on the audio thread too: it only
    // answers from constants.
    static PlxIntPtr answerRequest(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                                   PlxIntPtr value, void* ptr, float opt);

private:
    EffectSession(EffectRecord* record, ParameterSet& table) : record(record), table(table) {}

    EffectRecord* record;
    ParameterSet& table;
};
