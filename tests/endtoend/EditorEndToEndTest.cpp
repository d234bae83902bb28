#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "editor/EditorLayout.h"
#include "gui/DrawContext.h"
#include "gui/controls/ValueEdit.h"
#include "host/EditorDisplay.h"
#include "platform/Window.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"
#include "tests/endtoend/EditorPixels.h"
#include "tests/endtoend/PluginHarness.h"
#include "tests/gui/Canvas.h"

// The editor as a host sees it: opened through the dispatcher in a display, used with the
// display's mouse and keyboard, and checked by the pixels it leaves there and the requests it
// sends.
namespace {

constexpr std::int32_t kBlock = 512;

enum Parameter : std::int32_t { InGain, Gain, Second, Third, Mix, Solo, Kick, Freq, Density, Clip };

using editor_pixels::Artwork;

class EditorEndToEndTest : public PluginHarness {
protected:
    void SetUp() override {
        PluginHarness::SetUp();
        plugin = createStartedInstance(44100.0f, kBlock);
        ASSERT_TRUE(plugin->isOpen());
        openEditor();
    }

    void TearDown() override {
        if (plugin && plugin->isOpen()) plugin->dispatch(opEditorClose);
        display.reset();
        plugin.reset();
    }

    void openEditor() {
        EditorRect* size = nullptr;
        ASSERT_EQ(plugin->dispatch(opEditorGetRect, 0, 0, &size), 1);
        ASSERT_NE(size, nullptr);
        display = std::make_unique<EditorDisplay>(size->right, size->bottom);
        ASSERT_EQ(plugin->dispatch(opEditorOpen, 0, 0, display->parentWindow()), 1);
        idle();
    }

    // A host's idle timer: paints delivered, the editor's idle, time going by.
    void idle(int passes = 3) {
        for (int i = 0; i < passes; ++i) {
            display->compose();
            plugin->dispatch(opEditorIdle);
            display->advanceTime(50);
        }
        display->compose();
    }

    editor_pixels::PixelReader shown() {
        return [this](int x, int y) { return display->pixel(x, y); };
    }
    int handleTop(int fader) { return editor_pixels::handleTop(shown(), handle, fader); }
    double matching(const Artwork& art, int left, int top, int right, int bottom, int dx = 0,
                    int dy = 0) {
        return editor_pixels::matching(shown(), art, left, top, right, bottom, dx, dy);
    }

    // The number field drawn here, in this program's copy of the toolkit, as the editor draws
    // its fields at a plain value: the editor's field at area must show the same pixels.
    void drawField(Canvas& canvas, const Rect& area, float minimum, float maximum, float plain) {
        ValueEdit* field = new ValueEdit(area, nullptr, 0, nullptr, nullptr, 0);
        field->setFont(6);
        field->setValueToText(
            [](float value, char* text) { std::snprintf(text, 16, "%.1f", value); });
        field->setMax(maximum);
        field->setMin(minimum);
        field->setValue((plain - minimum) / (maximum - minimum));
        DrawContext context(nullptr, canvas.surface(), nullptr);
        field->draw(&context);
        field->release();
    }

    // The display's pixels inside area, the canvas's own elsewhere.
    std::function<Color(int, int)> displayIn(const Rect& area, const Canvas& canvas) {
        return [this, area, &canvas](int x, int y) {
            if (x < area.left || x >= area.right || y < area.top || y >= area.bottom)
                return canvas.pixel(x, y);
            const std::uint32_t p = display->pixel(x, y);
            return rgb(p & 0xFF, p >> 8 & 0xFF, p >> 16 & 0xFF);
        };
    }

    std::vector<float> automatedValues(std::int32_t index) {
        std::vector<float> values;
        for (const HostRequest& r : plugin->requestsWith(hostAutomate)) {
            if (r.index == index) values.push_back(r.opt);
        }
        return values;
    }

    // Runs a square wave of the given peak through the plug-in and answers the output.
    std::vector<float> process(PluginInstance& instance, float peak, int blocks = 8) {
        std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
        float* inputs[2] = {left.data(), right.data()};
        float* outputs[2] = {outLeft.data(), outRight.data()};
        std::vector<float> result;
        for (int b = 0; b < blocks; ++b) {
            for (int n = 0; n < kBlock; ++n) {
                const float sine = static_cast<float>(std::sin(0.3 * (b * kBlock + n)));
                left[n] = right[n] = sine >= 0.0f ? peak : -peak;
                left[n] *= 0.5f + 0.5f * std::fabs(sine);
            }
            instance.processOverwriting(inputs, outputs, kBlock);
            result.insert(result.end(), outLeft.begin(), outLeft.end());
        }
        return result;
    }

    std::unique_ptr<PluginInstance> plugin;
    std::unique_ptr<EditorDisplay> display;
    Artwork background{1001};
    Artwork handle{1010};
};

TEST_F(EditorEndToEndTest, TheEditorIsAnnouncedAndOpensWithEveryFaderAtItsParameter) {
    EXPECT_EQ(plugin->record()->flags, 0x39);
    // InGain 0 dB is 20/26 of its range: 93 + trunc(90 x 6/26).
    EXPECT_EQ(handleTop(0), 113);
    for (int fader = 1; fader < 5; ++fader) EXPECT_EQ(handleTop(fader), 138) << fader;
    const Rect& input = editor_layout::numberFields[0];
    const Rect& gain = editor_layout::numberFields[1];
    Canvas zero(330, 260), tenth(330, 260), half(330, 260);
    drawField(zero, input, -20.0f, 6.0f, 0.0f);
    drawField(tenth, input, -20.0f, 6.0f, 0.1f);
    drawField(half, gain, 0.0f, 100.0f, 50.0f);
    EXPECT_EQ(zero.firstDifference(displayIn(input, zero), "input_field"), "") << "Input 0.0";
    EXPECT_GT(tenth.differenceCount(displayIn(input, tenth)), 0) << "and not 0.1";
    EXPECT_EQ(half.firstDifference(displayIn(gain, half), "gain_field"), "") << "Gain 50.0";
    EXPECT_GT(matching(background, 0, 0, 330, 20), 0.999) << "the background shows above";
}

TEST_F(EditorEndToEndTest, DraggingTheSecondFaderBracketsTheChangeAndTheEngineHearsIt) {
    plugin->clearRequests();
    display->drag(120, 145, 120, 100);
    idle();
    const std::vector<HostRequest> requests = plugin->requests();
    std::vector<std::int32_t> opcodes;
    for (const HostRequest& r : requests) {
        if (r.opcode == hostAutomate || r.opcode == hostRequestBeginEdit ||
            r.opcode == hostRequestEndEdit)
            opcodes.push_back(r.opcode);
    }
    ASSERT_GE(opcodes.size(), 3u);
    EXPECT_EQ(opcodes.front(), hostRequestBeginEdit);
    EXPECT_EQ(opcodes.back(), hostRequestEndEdit);
    EXPECT_EQ(plugin->requestsWith(hostRequestBeginEdit).size(), 1u);
    EXPECT_EQ(plugin->requestsWith(hostRequestBeginEdit).front().index, 3) << "the fader's tag";
    const std::vector<float> values = automatedValues(Second);
    ASSERT_FALSE(values.empty());
    EXPECT_GT(values.back(), 0.9f);
    const float amount = plugin->getParameter(Second);
    EXPECT_NEAR(amount, values.back(), 0.0005f) << "stored to the parameter's step";
    EXPECT_EQ(handleTop(2), 93 + static_cast<int>(90.0f * (1.0f - values.back())));

    // The engine hears the new amount: the same output as an instance the host gave it to.
    auto twin = createStartedInstance(44100.0f, kBlock);
    twin->setParameter(Second, amount);
    auto untouched = createStartedInstance(44100.0f, kBlock);
    const std::vector<float> heard = process(*plugin, 0.5f);
    EXPECT_EQ(heard, process(*twin, 0.5f));
    EXPECT_NE(heard, process(*untouched, 0.5f)) << "the amount changes the sound";
}

TEST_F(EditorEndToEndTest, TheFrequencySwitchStepsOnPressAndRepeatsTheValueAtRelease) {
    plugin->setParameter(Freq, 1.0f);
    plugin->clearRequests();
    display->click(150, 32);
    idle();
    std::vector<float> values = automatedValues(Freq);
    ASSERT_GE(values.size(), 4u) << "press and release, each repeating the value first";
    for (float v : values) EXPECT_EQ(v, 1.0f) << "7000 Hz is the top";

    plugin->setParameter(Freq, 2.0f / 6.0f);
    plugin->clearRequests();
    display->click(112, 32);
    idle();
    values = automatedValues(Freq);
    ASSERT_GE(values.size(), 4u);
    EXPECT_FLOAT_EQ(values[0], 2.0f / 6.0f) << "the current value is repeated first";
    EXPECT_FLOAT_EQ(values[1], 1.0f / 6.0f) << "one step down: 2000 Hz";
    EXPECT_FLOAT_EQ(values.back(), 1.0f / 6.0f) << "the release sends the value unchanged";
    EXPECT_FLOAT_EQ(plugin->getParameter(Freq), 1.0f / 6.0f);
}

TEST_F(EditorEndToEndTest, TypingIntoANumberFieldSetsItsParameter) {
    plugin->clearRequests();
    display->click(82, 208);
    display->type("-3,5");
    display->enter();
    idle();
    EXPECT_FLOAT_EQ(plugin->getParameter(Gain), 0.0f) << "a negative Gain is clamped to 0 %";
    display->click(44, 208);
    display->type("-3,5");
    display->enter();
    idle();
    EXPECT_NEAR(plugin->getParameter(InGain), 16.5f / 26.0f, 1e-6f);
    EXPECT_EQ(handleTop(0), 93 + static_cast<int>(90 * (1.0f - 16.5f / 26.0f)));
    EXPECT_FALSE(automatedValues(InGain).empty());
}

TEST_F(EditorEndToEndTest, MetersFollowAudioFromAnotherThreadAndTheClipLampLightsAtFullScale) {
    plugin->setParameter(Mix, 0.0f);
    Artwork on(1008);
    Artwork off(1009);
    Artwork lamp(1007);
    auto playUntilMetered = [&](float peak) {
        std::atomic<bool> stop{false};
        std::thread audio([&] {
            while (!stop) process(*plugin, peak, 1);
        });
        for (int i = 0; i < 20; ++i) {
            idle(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        stop = true;
        audio.join();
        idle(2);
    };
    playUntilMetered(0.5f);
    // -6.02 dB lights 15 of 30 steps: the lower half on, the upper half off.
    EXPECT_GT(matching(on, 254, 71 + 70, 267, 199, -254, -71), 0.99);
    EXPECT_GT(matching(off, 254, 71, 267, 71 + 58, -254, -71), 0.99);
    EXPECT_GT(matching(lamp, 235, 44, 248, 57, -235, -44), 0.99) << "the lamp is off";

    playUntilMetered(1.0f);
    EXPECT_GT(matching(on, 254, 71, 267, 199, -254, -71), 0.99) << "0 dB lights every step";
    EXPECT_GT(matching(lamp, 235, 44, 248, 57, -235, -44 + 13), 0.99) << "the lamp is lit";

    playUntilMetered(0.0f);
    EXPECT_GT(matching(off, 254, 71, 267, 199, -254, -71), 0.99) << "silence lights no step";
    EXPECT_GT(matching(lamp, 235, 44, 248, 57, -235, -44 + 13), 0.99) << "the lamp stays lit";

    plugin->clearRequests();
    display->click(241, 50);
    idle();
    EXPECT_GT(matching(lamp, 235, 44, 248, 57, -235, -44), 0.99) << "a click puts the lamp out";
    ASSERT_FALSE(automatedValues(Clip).empty());
    EXPECT_EQ(plugin->getParameter(Clip), 0.0f) << "the lit lamp was toggled to off";
}

TEST_F(EditorEndToEndTest, TheAboutScreenCoversTheEditorWithTheVersionLineAndClosesOnAClick) {
    Artwork about(1002);
    display->click(50, 25);
    idle();
    EXPECT_GT(matching(about, 0, 0, 330, 200), 0.999);
    int bright = 0;
    for (int y = 200; y < 215; ++y) {
        for (int x = 56; x < 140; ++x) {
            const std::uint32_t p = display->pixel(x, y);
            bright += (p & 0xFF) > 200 && (p >> 8 & 0xFF) > 200 && (p >> 16 & 0xFF) > 200;
        }
    }
    EXPECT_GT(bright, 20) << "the version line, in white";
    display->click(200, 150);
    idle();
    EXPECT_GT(matching(background, 0, 0, 330, 20), 0.999);
    EXPECT_EQ(handleTop(0), 113) << "the controls are drawn again";
}

TEST_F(EditorEndToEndTest, ClosingAndOpeningAgainRebuildsTheControlsFromTheParameters) {
    plugin->dispatch(opEditorClose);
    plugin->setParameter(InGain, 0.0f);
    plugin->setParameter(Mix, 1.0f);
    display.reset();
    openEditor();
    EXPECT_EQ(handleTop(0), 183);
    EXPECT_EQ(handleTop(4), 93);
}

}  // namespace
