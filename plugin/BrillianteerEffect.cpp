#include "plugin/BrillianteerEffect.h"

#include <cmath>
#include <memory>
#include <new>

#include "dsp/BrillianteerEngine.h"
#include "editor/BrillianteerEditor.h"
#include "params/BrillianteerParameters.h"

namespace {
constexpr std::int32_t kCategoryEffect = 4;
}

BrillianteerEffect::BrillianteerEffect(HostCallback hostCallback)
    : HostedEffect(hostCallback, 2, 2, fourCharCode("Brlt"), kAutomatableCount,
                   BrillianteerParameters::Count, kProgramCount) {}

BrillianteerEffect::~BrillianteerEffect() {
    delete parameters;
    parameters = nullptr;
    delete engine;
    engine = nullptr;
    engineReady = false;
}

std::int32_t BrillianteerEffect::startup() {
    parameters = new (std::nothrow) BrillianteerParameters();
    if (!parameters) return 0;
    createEditor();
    initBank();
    setProgram(0);
    return 1;
}

EditorBase* BrillianteerEffect::createEditor() {
    // The editor attaches itself to this effect, which owns it from then on.
    return new (std::nothrow) BrillianteerEditor(this, parameters);
}

BrillianteerEngine* BrillianteerEffect::createEngine(std::int32_t inputs, std::int32_t rate,
                                                     std::int32_t outputs) {
    return BrillianteerEngine::create(inputs, rate, outputs, blockSize).release();
}

void BrillianteerEffect::rebuildEngine() {
    if (engineReady) {
        engineReady = false;
        delete engine;
        engine = nullptr;
    }
    // A rate that does not fit an int (or is not a number) cannot work: no engine for it.
    const float rate = getSampleRate();
    const bool rateFits = std::isfinite(rate) && rate > 0.0f && rate < 2147483520.0f;
    engine =
        createEngine(engineInputs, rateFits ? static_cast<std::int32_t>(rate) : 0, engineOutputs);
    if (engine) {
        engine->start();
        setLatency(engine->getLatency());
        engine->applyParameters(*parameters);
        engineReady = true;
    } else {
        // Without an engine the audio calls pass the input through as it comes.
        setLatency(0);
    }
    if (parameters) parameters->markAllChanged();
}

void BrillianteerEffect::processBlock(float** inputs, float** outputs, std::int32_t frames,
                                      bool accumulate) {
    if (!engine || !inputs || !outputs || frames <= 0) return;
    for (std::int32_t k = 0; k < engineInputs; ++k) {
        if (!inputs[k]) return;
    }
    for (std::int32_t k = 0; k < engineOutputs; ++k) {
        if (!outputs[k]) return;
    }
    if (parameters->getApplyBusy() <= 0) engine->applyParameters(*parameters);
    engine->process(inputs, outputs, frames, accumulate);
    silenceNonFinite(outputs, frames);
    publishMetersIfWanted();
}

// Input far beyond full scale overflows the shaper, and a host may hand over samples that are
// not numbers: the host hears silence there while the chain repairs its state.
void BrillianteerEffect::silenceNonFinite(float** outputs, std::int32_t frames) const {
    for (std::int32_t k = 0; k < engineOutputs; ++k) {
        float* out = outputs[k];
        for (std::int32_t n = 0; n < frames; ++n)
            if (!std::isfinite(out[n])) out[n] = 0.0f;
    }
}

void BrillianteerEffect::publishMetersIfWanted() {
    if (parameters->getMeterRequest() && parameters->getMeterBusy() <= 0) {
        engine->publishMeters(*parameters);
        parameters->setMeterRequest(false);
    }
}

void BrillianteerEffect::suspend() {
    if (!engine) return;
    engine->stop();
    engine->publishMeters(*parameters);
}

void BrillianteerEffect::resume() {
    HostedEffect::resume();
    if (configurationChanged()) rebuildEngine();
}

std::int32_t BrillianteerEffect::getCategory() { return kCategoryEffect; }
