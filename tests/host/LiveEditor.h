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
#include "tests/support/XvfbSession.h"

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

// A drag's edit bracket for tag around at least three values of the parameter, each above the
// one before: the values arrive while the drag goes on.
inline void expectRisingValuesInABracket(const std::string& out, const std::string& name, int tag) {
    const std::size_t begin = out.find("begin edit " + std::to_string(tag));
    const std::size_t firstSet = out.find("set        " + name);
    ASSERT_NE(begin, std::string::npos) << out;
    EXPECT_LT(begin, firstSet) << out;
    EXPECT_LT(firstSet, out.find("end edit   " + std::to_string(tag))) << out;
    const std::vector<float> dragged = valuesSet(out, name);
    ASSERT_GE(dragged.size(), 3u) << out;
    for (std::size_t i = 1; i < dragged.size(); ++i) EXPECT_GT(dragged[i], dragged[i - 1]);
}

// Describes the first pixel, row by row, at which the window shows other than the render,
// leaving out the pixels skip names, and writes both pictures as name.png and
// name_expected.png; empty when they agree.
inline std::string firstDifference(const std::vector<std::uint32_t>& shown,
                                   const std::vector<std::uint32_t>& rendered,
                                   const std::string& name,
                                   const std::function<bool(int x, int y)>& skip = nullptr) {
    if (shown.size() != rendered.size()) return "the window could not be read";
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const int x = static_cast<int>(i % editorWidth);
        const int y = static_cast<int>(i / editorWidth);
        if (shown[i] == rendered[i] || (skip && skip(x, y))) continue;
        XvfbSession::writePng(shown, editorWidth, editorHeight, name + ".png");
        XvfbSession::writePng(rendered, editorWidth, editorHeight, name + "_expected.png");
        std::ostringstream text;
        text << "first wrong pixel at (" << x << ", " << y << "): shown " << std::hex << shown[i]
             << ", rendered " << rendered[i];
        return text.str();
    }
    return "";
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
