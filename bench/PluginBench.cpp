// What a host pays to scan, show and animate the plug-in, through `main` and the record.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/EditorDisplay.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"

namespace {

constexpr std::int32_t kBlock = 512;
constexpr std::int32_t kClip = 9;

const PluginLibrary& library() {
    static PluginLibrary loaded;
    static const bool ready = [] {
        std::string error;
        return loaded.load(BRL_PLUGIN_PATH, error);
    }();
    if (!ready) std::abort();
    return loaded;
}

std::unique_ptr<PluginInstance> startedInstance() {
    auto instance = std::make_unique<PluginInstance>(library());
    if (!instance->create()) std::abort();
    instance->dispatch(opSetSampleRate, 0, 0, nullptr, 44100.0f);
    instance->dispatch(opSetBlockSize, 0, kBlock);
    instance->dispatch(opSetActive, 0, 1);
    return instance;
}

std::unique_ptr<EditorDisplay> displayFor(PluginInstance& instance) {
    EditorRect* size = nullptr;
    instance.dispatch(opEditorGetRect, 0, 0, &size);
    if (size == nullptr) std::abort();
    return std::make_unique<EditorDisplay>(size->right, size->bottom);
}

// A host scanning plug-ins: create an instance through `main`, then close it.
void pluginCreateAndClose(benchmark::State& state) {
    library();
    for (auto _ : state) {
        PluginInstance instance(library());
        if (!instance.create()) std::abort();
        instance.close();
    }
}
BENCHMARK(pluginCreateAndClose)->Unit(benchmark::kMicrosecond);

// Opening the editor and its first paint, then closing it.
void editorOpen(benchmark::State& state) {
    auto instance = startedInstance();
    auto display = displayFor(*instance);
    for (auto _ : state) {
        instance->dispatch(opEditorOpen, 0, 0, display->parentWindow());
        display->compose();
        state.PauseTiming();
        instance->dispatch(opEditorClose);
        state.ResumeTiming();
    }
}
BENCHMARK(editorOpen)->Unit(benchmark::kMicrosecond);

// One idle pass of an open editor that redraws both meters and the clip lamp: the audio
// between passes alternates full scale (meters up, lamp on) and silence with the lamp switched
// off by the host, so every pass has all three to draw. Only the idle and its paint are timed.
void editorIdleWithMeters(benchmark::State& state) {
    auto instance = startedInstance();
    auto display = displayFor(*instance);
    instance->dispatch(opEditorOpen, 0, 0, display->parentWindow());
    display->compose();
    std::vector<float> loud(kBlock, 1.0f), quiet(kBlock, 0.0f), outLeft(kBlock), outRight(kBlock);
    float* out[2] = {outLeft.data(), outRight.data()};
    bool full = false;
    for (auto _ : state) {
        full = !full;
        float* in[2] = {full ? loud.data() : quiet.data(), full ? loud.data() : quiet.data()};
        if (!full) instance->setParameter(kClip, 0.0f);
        // Enough blocks for the peak holders to fall below the meter's floor after the loud one.
        for (int i = 0; i < (full ? 1 : 200); ++i) instance->processOverwriting(in, out, kBlock);
        const auto start = std::chrono::steady_clock::now();
        instance->dispatch(opEditorIdle);
        display->compose();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    instance->dispatch(opEditorClose);
}
BENCHMARK(editorIdleWithMeters)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
