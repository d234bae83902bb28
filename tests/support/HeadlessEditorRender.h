#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/EditorDisplay.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"

// The editor of the plug-in module at path as the headless display draws it: loaded through
// `main` in this process, with the parameters set and the gestures played before the picture is
// taken after a few idle passes. What a real window showing the same state must equal.
inline std::vector<std::uint32_t> headlessEditorRender(
    const char* path, const std::vector<std::pair<std::int32_t, float>>& normalized,
    const std::function<void(EditorDisplay&)>& gestures = nullptr) {
    PluginLibrary library;
    std::string error;
    EXPECT_TRUE(library.load(path, error)) << error;
    PluginInstance plugin(library);
    EXPECT_TRUE(plugin.create());
    for (const auto& [index, value] : normalized) plugin.setParameter(index, value);
    EditorRect* size = nullptr;
    plugin.dispatch(opEditorGetRect, 0, 0, &size);
    if (!size) return {};
    EditorDisplay display(size->right - size->left, size->bottom - size->top);
    plugin.dispatch(opEditorOpen, 0, 0, display.parentWindow());
    if (gestures) gestures(display);
    for (int i = 0; i < 4; ++i) {
        display.compose();
        plugin.dispatch(opEditorIdle);
        display.advanceTime(50);
    }
    display.compose();
    std::vector<std::uint32_t> pixels = display.pixels();
    plugin.dispatch(opEditorClose);
    plugin.close();
    return pixels;
}
