#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "shell/EffectRecord.h"

class PluginLibrary;

// One request the plug-in sent to the host.
struct HostRequest {
    std::int32_t opcode;
    std::int32_t index;
    PlxIntPtr value;
    void* ptr;
    float opt;
};

// One plug-in instance created through a library's `main`, driven exactly as a host drives it:
// every call goes through the record. Requests from the plug-in are recorded and answered
// from a table the caller sets (request 1, the interface version, answers 2200 unless set).
class PluginInstance {
public:
    explicit PluginInstance(const PluginLibrary& library);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Answers the host gives to the plug-in's requests; set before `create` to shape `main`.
    void setAnswer(std::int32_t request, PlxIntPtr answer);
    // Answers that depend on the arguments (a pin query per channel): consulted before the table.
    using AnswerFunction = std::function<bool(const HostRequest& request, PlxIntPtr& answer)>;
    void setAnswerFunction(AnswerFunction function);
    // Calls `main`; false when it answers null or with a record this host must not call
    // through (another interface's magic, a function missing), which is then left alone:
    // `refusal` says why.
    bool create();
    const std::string& refusal() const { return refusalReason; }
    // Sends opcode 1, after which the plug-in has destroyed itself.
    void close();

    EffectRecord* record() const { return effect; }
    bool isOpen() const { return effect != nullptr; }

    PlxIntPtr dispatch(std::int32_t opcode, std::int32_t index = 0, PlxIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    void setParameter(std::int32_t index, float value);
    float getParameter(std::int32_t index);
    void processAdding(float** inputs, float** outputs, std::int32_t frames);
    // On a plug-in that has no replacing call, the outputs (as many as the record has) are
    // cleared and the accumulating call runs.
    void processOverwriting(float** inputs, float** outputs, std::int32_t frames);

    std::vector<HostRequest> requests() const;
    // The recorded requests with this opcode, in order.
    std::vector<HostRequest> requestsWith(std::int32_t opcode) const;
    void clearRequests();

private:
    static PlxIntPtr callback(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                              PlxIntPtr value, void* ptr, float opt);
    PlxIntPtr answer(std::int32_t opcode, std::int32_t index, PlxIntPtr value, void* ptr,
                     float opt);

    const PluginLibrary& library;
    EffectRecord* effect = nullptr;
    mutable std::mutex requestsLock;
    std::map<std::int32_t, PlxIntPtr> answers;
    AnswerFunction answerFunction;
    std::vector<HostRequest> recorded;
    std::string refusalReason;
};
