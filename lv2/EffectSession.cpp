#include "lv2/EffectSession.h"

#include <new>

#include "plugin/BrillianteerEffect.h"
#include "shell/Opcodes.h"

namespace {
// The interface version this host claims, as a current host does.
constexpr PlxIntPtr kHostVersion = 2400;
}  // namespace

std::unique_ptr<EffectSession> EffectSession::create(HostCallback callback) {
    auto* effect = new (std::nothrow) BrillianteerEffect(callback);
    if (!effect) return nullptr;
    if (effect->startup() == 0 || !effect->getParameters()) {
        delete effect;
        return nullptr;
    }
    std::unique_ptr<EffectSession> session(
        new (std::nothrow) EffectSession(effect->getRecord(), *effect->getParameters()));
    if (!session) delete effect;
    return session;
}

EffectSession::~EffectSession() { dispatch(opClose); }

PlxIntPtr EffectSession::dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                                  void* ptr, float opt) {
    return record->dispatchFn(record, opcode, index, value, ptr, opt);
}

void EffectSession::setParameter(std::int32_t index, float normalized) {
    record->setParameterFn(record, index, normalized);
}

void EffectSession::processReplacing(float** inputs, float** outputs, std::int32_t frames) {
    record->processOverwritingFn(record, inputs, outputs, frames);
}

PlxIntPtr EffectSession::answerRequest(EffectRecord*, std::int32_t opcode, std::int32_t, PlxIntPtr,
                                       void*, float) {
    // Every other request, the pin query among them, answers 0: both pins connected, nothing
    // else offered.
    return opcode == hostRequestVersion ? kHostVersion : 0;
}
