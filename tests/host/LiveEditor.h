#pragma once

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/EditorDisplay.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "shell/Opcodes.h"

// What the tests of `plxhost editor --window` share: the values plxhost printed as a person
// used the window, and the headless render of the state they left (BRILLIANTEER_PATH names the
// native plug-in).
namespace live_editor {

constexpr int editorWidth = 330;
constexpr int editorHeight = 260;

// The values of one parameter's "set" lines, in order.
inline std::vector<float> valuesSet(const std::string& output, const std::string& name) {
    std::vector<float> values;
    std::istringstream lines(output);
    std::string line;
    const std::string prefix = "set        " + name + " ";
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            values.push_back(std::stof(line.substr(prefix.size())));
    }
    return values;
}

// The editor as the headless display draws it after the same gestures, played in this process
// through the plug-in's record.
inline std::vector<std::uint32_t> headlessRender(
    const std::function<void(EditorDisplay&)>& gestures) {
    PluginLibrary library;
    std::string error;
    EXPECT_TRUE(library.load(BRILLIANTEER_PATH, error)) << error;
    PluginInstance plugin(library);
    EXPECT_TRUE(plugin.create());
    EditorDisplay display(editorWidth, editorHeight);
    plugin.dispatch(opEditorOpen, 0, 0, display.parentWindow());
    gestures(display);
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

}  // namespace live_editor
