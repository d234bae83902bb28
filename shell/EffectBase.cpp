#include "shell/EffectBase.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "shell/EditorBase.h"
#include "shell/Opcodes.h"
#include "shell/ValueText.h"

namespace {

// Levels run 0..1 onto 0..32767, truncated; a level that is not a number, or so large that the
// conversion would be undefined, reads as silence.
PlxIntPtr levelToInteger(float level) {
    const float scaled = level * 32767.0f;
    if (!std::isfinite(scaled) || scaled <= -2147483648.0f || scaled >= 2147483648.0f) return 0;
    return static_cast<std::int32_t>(scaled);
}

}  // namespace

EffectBase::EffectBase(HostCallback hostCallback, std::int32_t programCount,
                       std::int32_t parameterCount)
    : hostCallback(hostCallback), programCount(programCount), parameterCount(parameterCount) {
    std::memset(&record, 0, sizeof(record));
    record.magic = kEffectMagic;
    record.dispatchFn = effect_forwarders::dispatch;
    record.processAddingFn = effect_forwarders::processAdding;
    record.setParameterFn = effect_forwarders::setParameter;
    record.getParameterFn = effect_forwarders::getParameter;
    record.processOverwritingFn = effect_forwarders::processOverwriting;
    record.programCount = programCount;
    record.parameterCount = parameterCount;
    record.inputCount = 1;
    record.outputCount = 2;
    record.outputInputRatio = 1.0f;
    record.owner = this;
    record.pluginId = kDefaultPluginId;
    record.pluginVersion = 1;
}

EffectBase::~EffectBase() { delete editor; }

void EffectBase::setParameter(std::int32_t, float) {}
float EffectBase::getParameter(std::int32_t) { return 0.0f; }

PlxIntPtr EffectBase::setParameterAndNotify(std::int32_t index, float value) {
    setParameter(index, value);
    return sendHostRequest(hostAutomate, index, 0, nullptr, value);
}

void EffectBase::processOverwriting(float**, float**, std::int32_t) {}

PlxIntPtr EffectBase::dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value, void* ptr,
                               float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case opOpen: open(); return 0;
        case opClose: close(); return 0;
        case opSetProgram:
            if (value >= 0 && value < programCount) setProgram(static_cast<std::int32_t>(value));
            return 0;
        case opGetProgram: return getProgram();
        // Text opcodes without a buffer have nowhere to write: refused before the operation runs.
        case opSetProgramName:
            if (text) setProgramName(text);
            return 0;
        case opGetProgramName:
            if (text) getProgramName(text);
            return 0;
        case opGetParameterUnit:
            if (text) getParameterUnit(index, text);
            return 0;
        case opGetParameterText:
            if (text) getParameterText(index, text);
            return 0;
        case opGetParameterName:
            if (text) getParameterName(index, text);
            return 0;
        case opGetLevel: return levelToInteger(getLevel());
        case opSetSampleRate: setSampleRate(opt); return 0;
        case opSetBlockSize: setBlockSize(static_cast<std::int32_t>(value)); return 0;
        case opSetActive:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case opEditorGetRect: return editor ? editor->getRect(static_cast<EditorRect**>(ptr)) : 0;
        case opEditorOpen: return editor ? editor->open(ptr) : 0;
        case opEditorClose:
            if (editor) editor->close();
            return 0;
        case opEditorIdle:
            if (editor) editor->idle();
            return 0;
        case opIdentify: return kIdentifyAnswer;
        case opGetStateData:
            if (!ptr) return 0;
            return getStateData(static_cast<void**>(ptr), index != 0);
        // A chunk without data or bytes cannot be loaded; refused before it reaches the bank.
        case opSetStateData:
            if (!ptr || value <= 0 || value != static_cast<std::int32_t>(value)) return 0;
            return setStateData(ptr, static_cast<std::int32_t>(value), index != 0);
        default: return 0;
    }
}

void EffectBase::open() {}
void EffectBase::close() {}
std::int32_t EffectBase::getProgram() { return currentProgram; }
void EffectBase::setProgram(std::int32_t program) { currentProgram = program; }
void EffectBase::setProgramName(char* name) {
    if (name) name[0] = '\0';
}
void EffectBase::getProgramName(char* name) {
    if (name) name[0] = '\0';
}
void EffectBase::getParameterUnit(std::int32_t, char* text) {
    if (text) text[0] = '\0';
}
void EffectBase::getParameterText(std::int32_t, char* text) {
    if (text) text[0] = '\0';
}
void EffectBase::getParameterName(std::int32_t, char* text) {
    if (text) text[0] = '\0';
}
float EffectBase::getLevel() { return 0.0f; }
std::int32_t EffectBase::getStateData(void**, bool) { return 0; }
std::int32_t EffectBase::setStateData(void*, std::int32_t, bool) { return 0; }
void EffectBase::setSampleRate(float rate) { sampleRate = rate; }
void EffectBase::setBlockSize(std::int32_t frames) { blockSize = frames; }
void EffectBase::suspend() {}
void EffectBase::resume() {}
void EffectBase::setUniqueId(std::int32_t id) { record.pluginId = id; }
void EffectBase::setInputCount(std::int32_t n) { record.inputCount = n; }
void EffectBase::setOutputCount(std::int32_t n) { record.outputCount = n; }
void EffectBase::setFlag04(bool on) { setFlag(kFlag04, on); }
void EffectBase::setFlag02(bool on) { setFlag(kFlag02, on); }
void EffectBase::setMonoFlag(bool on) { setFlag(kFlagAcceptsMono, on); }
void EffectBase::setOverwritingFlag(bool on) { setFlag(kFlagOverwriting, on); }
void EffectBase::setStateDataFlag(bool on) { setFlag(kFlagStateData, on); }
void EffectBase::setReserved3(std::int32_t value) { record.reserved3 = value; }
void EffectBase::setReserved4(std::int32_t value) { record.reserved4 = value; }
void EffectBase::setLatency(std::int32_t samples) { record.latency = samples; }
float EffectBase::getSampleRate() { return sampleRate; }
std::int32_t EffectBase::getBlockSize() { return blockSize; }

PlxIntPtr EffectBase::hostVersion() {
    if (!hostCallback) return 1;
    const PlxIntPtr answer = sendHostRequest(hostRequestVersion);
    return answer == 0 ? 1 : answer;
}

PlxIntPtr EffectBase::hostCurrentId() { return sendHostRequest(hostRequestCurrentId); }
PlxIntPtr EffectBase::hostIdle() { return sendHostRequest(hostRequestIdle); }

// The pin query's answer 0 means connected.
bool EffectBase::isInputConnected(std::int32_t index) {
    return !hostCallback || sendHostRequest(hostRequestPinConnected, index, 0) == 0;
}

bool EffectBase::isOutputConnected(std::int32_t index) {
    return !hostCallback || sendHostRequest(hostRequestPinConnected, index, 1) == 0;
}

void EffectBase::dbToText(float linear, char* text) { value_text::dbToText(linear, text); }
void EffectBase::hzToText(float samples, char* text) {
    value_text::hzToText(samples, getSampleRate(), text);
}
void EffectBase::msToText(float samples, char* text) {
    value_text::msToText(samples, getSampleRate(), text);
}
void EffectBase::floatToText(float value, char* text) { value_text::floatToText(value, text); }
void EffectBase::longToText(std::int32_t value, char* text) { value_text::longToText(value, text); }

void EffectBase::attachEditor(EditorBase* newEditor) {
    editor = newEditor;
    setFlag(kFlagHasEditor, newEditor != nullptr);
}

void EffectBase::setFlag(std::int32_t bit, bool on) {
    if (on)
        record.flags |= bit;
    else
        record.flags &= ~bit;
}

PlxIntPtr EffectBase::sendHostRequest(std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                                      void* ptr, float opt) {
    if (!hostCallback) return 0;
    return hostCallback(&record, opcode, index, value, ptr, opt);
}

namespace effect_forwarders {

static EffectBase* ownerOf(EffectRecord* effect) {
    return effect ? static_cast<EffectBase*>(effect->owner) : nullptr;
}

PlxIntPtr dispatch(EffectRecord* effect, std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                   void* ptr, float opt) {
    EffectBase* owner = ownerOf(effect);
    if (!owner) return 0;
    if (opcode == opClose) {
        owner->dispatch(opcode, index, value, ptr, opt);
        delete owner;
        return 1;
    }
    return owner->dispatch(opcode, index, value, ptr, opt);
}

void processAdding(EffectRecord* effect, float** inputs, float** outputs, std::int32_t frames) {
    if (EffectBase* owner = ownerOf(effect)) owner->process(inputs, outputs, frames);
}

void processOverwriting(EffectRecord* effect, float** inputs, float** outputs,
                        std::int32_t frames) {
    if (EffectBase* owner = ownerOf(effect)) owner->processOverwriting(inputs, outputs, frames);
}

void setParameter(EffectRecord* effect, std::int32_t index, float value) {
    if (EffectBase* owner = ownerOf(effect)) owner->setParameter(index, value);
}

float getParameter(EffectRecord* effect, std::int32_t index) {
    EffectBase* owner = ownerOf(effect);
    return owner ? owner->getParameter(index) : 0.0f;
}

}  // namespace effect_forwarders
