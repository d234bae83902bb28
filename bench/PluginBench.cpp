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

// One idle pass of an open editor that redraws both meters and the clip lamp. Between passes
// the host alternates a block above full scale (meters to the top, the lamp lit) with a suspend
// and resume, which publishes silent meters, and the lamp switched off: every pass has all
// three to draw. Only the idle and the paint it leads to are timed.
void editorIdleWithMeters(benchmark::State& state) {
    auto instance = startedInstance();
    auto display = displayFor(*instance);
    instance->dispatch(opEditorOpen, 0, 0, display->parentWindow());
    display->compose();
    std::vector<float> loud(kBlock, 2.0f), outLeft(kBlock), outRight(kBlock);
    float* in[2] = {loud.data(), loud.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    bool full = false;
    for (auto _ : state) {
        full = !full;
        if (full) {
            instance->processOverwriting(in, out, kBlock);
        } else {
            instance->setParameter(kClip, 0.0f);
            instance->dispatch(opSetActive, 0, 0);
            instance->dispatch(opSetActive, 0, 1);
        }
        // A host's idle timer: time has passed since the last pass.
        display->advanceTime(50);
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
