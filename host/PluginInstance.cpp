#include "host/PluginInstance.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "host/PluginLibrary.h"
#include "shell/Opcodes.h"

namespace {
// The callback is a plain function: requests are routed to their instance by record. `main`
// asks before any record exists, so the instance being created is remembered separately.
std::mutex registryLock;
std::map<EffectRecord*, PluginInstance*> instancesByRecord;
thread_local PluginInstance* instanceBeingCreated = nullptr;

constexpr PlxIntPtr kHostInterfaceVersion = 2200;

// Why a record cannot be called through, or empty when it can. Only the magic is read before
// it is known to be a record of this interface.
std::string unusableRecord(const EffectRecord& record) {
    if (record.magic != kEffectMagic) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "not a plug-in of this interface: its record's magic is 0x%08X",
                      static_cast<unsigned>(record.magic));
        return text;
    }
    const bool replacing = (record.flags & kFlagOverwriting) != 0;
    const std::pair<bool, const char*> functions[] = {
        {record.dispatchFn != nullptr, "dispatcher"},
        {record.setParameterFn != nullptr, "parameter setter"},
        {record.getParameterFn != nullptr, "parameter getter"},
        {record.processAddingFn != nullptr, "accumulating process function"},
        {!replacing || record.processOverwritingFn,
         "replacing process function its flags announce"},
    };
    for (const auto& [present, name] : functions) {
        if (!present)
            return std::string("not a plug-in of this interface: its record has no ") + name;
    }
    return "";
}
}  // namespace

PluginInstance::PluginInstance(const PluginLibrary& library) : library(library) {
    answers[hostRequestVersion] = kHostInterfaceVersion;
}

PluginInstance::~PluginInstance() { close(); }

void PluginInstance::setAnswer(std::int32_t request, PlxIntPtr value) {
    std::lock_guard<std::mutex> guard(requestsLock);
    answers[request] = value;
}

void PluginInstance::setAnswerFunction(AnswerFunction function) {
    std::lock_guard<std::mutex> guard(requestsLock);
    answerFunction = std::move(function);
}

bool PluginInstance::create() {
    close();
    refusalReason.clear();
    if (!library.entry()) {
        refusalReason = "the library has no main";
        return false;
    }
    instanceBeingCreated = this;
    EffectRecord* created = library.entry()(&PluginInstance::callback);
    instanceBeingCreated = nullptr;
    if (!created) {
        refusalReason = "main returned no plug-in (null)";
        return false;
    }
    refusalReason = unusableRecord(*created);
    if (!refusalReason.empty()) return false;
    effect = created;
    std::lock_guard<std::mutex> guard(registryLock);
    instancesByRecord[effect] = this;
    return true;
}

void PluginInstance::close() {
    if (!effect) return;
    EffectRecord* closing = effect;
    effect->dispatchFn(effect, opClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
    std::lock_guard<std::mutex> guard(registryLock);
    instancesByRecord.erase(closing);
}

PlxIntPtr PluginInstance::dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                                   void* ptr, float opt) {
    if (!effect) return 0;
    if (opcode == opClose) {
        EffectRecord* closing = effect;
        const PlxIntPtr result = effect->dispatchFn(effect, opcode, index, value, ptr, opt);
        effect = nullptr;
        std::lock_guard<std::mutex> guard(registryLock);
        instancesByRecord.erase(closing);
        return result;
    }
    return effect->dispatchFn(effect, opcode, index, value, ptr, opt);
}

void PluginInstance::setParameter(std::int32_t index, float value) {
    if (effect) effect->setParameterFn(effect, index, value);
}

float PluginInstance::getParameter(std::int32_t index) {
    return effect ? effect->getParameterFn(effect, index) : 0.0f;
}

void PluginInstance::processAdding(float** inputs, float** outputs, std::int32_t frames) {
    if (effect) effect->processAddingFn(effect, inputs, outputs, frames);
}

void PluginInstance::processOverwriting(float** inputs, float** outputs, std::int32_t frames) {
    if (!effect) return;
    if (effect->processOverwritingFn) {
        effect->processOverwritingFn(effect, inputs, outputs, frames);
        return;
    }
    // A plug-in without the replacing call: accumulating onto silence gives the same output.
    for (std::int32_t c = 0; c < effect->outputCount; ++c) {
        std::fill(outputs[c], outputs[c] + std::max(frames, std::int32_t{0}), 0.0f);
    }
    effect->processAddingFn(effect, inputs, outputs, frames);
}

std::vector<HostRequest> PluginInstance::requests() const {
    std::lock_guard<std::mutex> guard(requestsLock);
    return recorded;
}

std::vector<HostRequest> PluginInstance::requestsWith(std::int32_t opcode) const {
    std::lock_guard<std::mutex> guard(requestsLock);
    std::vector<HostRequest> matching;
    for (const HostRequest& request : recorded) {
        if (request.opcode == opcode) matching.push_back(request);
    }
    return matching;
}

void PluginInstance::clearRequests() {
    std::lock_guard<std::mutex> guard(requestsLock);
    recorded.clear();
}

PlxIntPtr PluginInstance::callback(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                                   PlxIntPtr value, void* ptr, float opt) {
    PluginInstance* instance = nullptr;
    if (effect) {
        std::lock_guard<std::mutex> guard(registryLock);
        auto found = instancesByRecord.find(effect);
        if (found != instancesByRecord.end()) instance = found->second;
    }
    if (!instance) instance = instanceBeingCreated;
    return instance ? instance->answer(opcode, index, value, ptr, opt) : 0;
}

PlxIntPtr PluginInstance::answer(std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                                 void* ptr, float opt) {
    std::lock_guard<std::mutex> guard(requestsLock);
    recorded.push_back(HostRequest{opcode, index, value, ptr, opt});
    PlxIntPtr special = 0;
    if (answerFunction && answerFunction(recorded.back(), special)) return special;
    auto found = answers.find(opcode);
    return found == answers.end() ? 0 : found->second;
}
