#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "tests/lv2/Lv2Host.h"
#include "tests/support/HeadlessEditorRender.h"
#include "tests/support/XvfbSession.h"

// The bundle's user interface loaded as jalv loads it: found through lilv, its descriptor taken
// from its library and instantiated in a parent window of the host's with the parent, resize,
// touch and idle features, driven by the real pointer through XTest on an X server of the
// test's own.
namespace {

constexpr int editorWidth = 330;
constexpr int editorHeight = 260;

// Port indexes, as the bundle's description gives them.
struct Ports {
    std::uint32_t second;
    std::uint32_t meterLeft;
    std::uint32_t meterRight;
    std::uint32_t clip;
};

class Lv2UiTest : public ::testing::Test {
protected:
    struct Written {
        std::uint32_t port;
        float value;
    };
    struct Touched {
        std::uint32_t port;
        bool grabbed;
        std::size_t afterWrites;  // writes seen before it
    };

    // One interface instance in a parent window of its own.
    struct Ui {
        unsigned long parent = 0;
        LV2UI_Handle handle = nullptr;
        unsigned long window = 0;
    };

    void SetUp() override {
        ASSERT_TRUE(x.isRunning()) << "Xvfb with XTest is needed";
        ASSERT_NE(host.found(), nullptr);
        LilvUIs* uis = lilv_plugin_get_uis(host.found());
        ASSERT_EQ(lilv_uis_size(uis), 1u);
        const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
        LilvNode* x11 = lilv_new_uri(host.lilvWorld(), LV2_UI__X11UI);
        EXPECT_TRUE(lilv_ui_is_a(ui, x11));
        lilv_node_free(x11);
        char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
        const std::string uri = lilv_node_as_uri(lilv_ui_get_uri(ui));
        library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        lilv_free(path);
        lilv_uis_free(uis);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(std::uint32_t)>(
            dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_EQ(descriptor->URI, uri);
        EXPECT_EQ(entry(1), nullptr);
        idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle, nullptr);
        ports = {host.portIndex("second"), host.portIndex("meter_l"), host.portIndex("meter_r"),
                 host.portIndex("clip")};
    }

    void TearDown() override {
        if (library) dlclose(library);
    }

    // In a new parent window, or in the one given.
    Ui open(unsigned long parent = 0) {
        Ui ui;
        ui.parent = parent ? parent : x.createWindow(400, 300);
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(ui.parent)};
        resizeData = {this, &Lv2UiTest::resized};
        resizeFeature = {LV2_UI__resize, &resizeData};
        touchData = {this, &Lv2UiTest::touched};
        touchFeature = {LV2_UI__touch, &touchData};
        idleFeature = {LV2_UI__idleInterface, nullptr};
        const LV2_Feature* features[] = {host.uridMapFeature(), &parentFeature, &resizeFeature,
                                         &touchFeature,         &idleFeature,   nullptr};
        LV2UI_Widget widget = nullptr;
        ui.handle = descriptor->instantiate(descriptor, "urn:quillmere:brillianteer", "",
                                            &Lv2UiTest::written, this, &widget, features);
        ui.window = reinterpret_cast<std::uintptr_t>(widget);
        return ui;
    }

    void close(Ui& ui) {
        descriptor->cleanup(ui.handle);
        x.destroyWindow(ui.parent);
    }

    // Idles the interface as a host's timer does, while hands runs on a thread of its own.
    void idleWhile(const Ui& ui, const std::function<void()>& hands) {
        std::atomic<bool> done{false};
        std::thread person([&] {
            hands();
            done = true;
        });
        while (!done) {
            idle->idle(ui.handle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        person.join();
        idleFor(ui, 150);
    }

    void idleFor(const Ui& ui, int milliseconds) {
        for (int t = 0; t < milliseconds; t += 10) {
            idle->idle(ui.handle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void portEvent(const Ui& ui, std::uint32_t port, float value) {
        descriptor->port_event(ui.handle, port, sizeof value, 0, &value);
    }

    std::vector<std::uint32_t> shown(const Ui& ui) {
        return x.readWindow(ui.window, editorWidth, editorHeight);
    }

    static void written(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                        std::uint32_t format, const void* buffer) {
        auto* self = static_cast<Lv2UiTest*>(controller);
        ASSERT_EQ(size, sizeof(float));
        ASSERT_EQ(format, 0u);
        self->writes.push_back({port, *static_cast<const float*>(buffer)});
    }
    static int resized(LV2UI_Feature_Handle handle, int width, int height) {
        static_cast<Lv2UiTest*>(handle)->size = {width, height};
        return 0;
    }
    static void touched(LV2UI_Feature_Handle handle, std::uint32_t port, bool grabbed) {
        auto* self = static_cast<Lv2UiTest*>(handle);
        self->touches.push_back({port, grabbed, self->writes.size()});
    }

    XvfbSession x;
    Lv2Host host{BRL_LV2_BUNDLE_PARENT, 512};
    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    Ports ports{};
    LV2_Feature parentFeature{};
    LV2UI_Resize resizeData{};
    LV2_Feature resizeFeature{};
    LV2UI_Touch touchData{};
    LV2_Feature touchFeature{};
    LV2_Feature idleFeature{};
    std::vector<Written> writes;
    std::vector<Touched> touches;
    std::pair<int, int> size{0, 0};
};

TEST_F(Lv2UiTest, AFaderDragWritesItsPortBetweenTouchBeginAndEnd) {
    Ui ui = open();
    ASSERT_NE(ui.handle, nullptr);
    EXPECT_EQ(size, std::make_pair(editorWidth, editorHeight)) << "the host is asked to fit it";
    idleFor(ui, 100);
    idleWhile(ui, [&] { x.drag(ui.window, 120, 150, 120, 110); });
    ASSERT_EQ(touches.size(), 2u);
    EXPECT_EQ(touches[0].port, ports.second);
    EXPECT_TRUE(touches[0].grabbed);
    EXPECT_EQ(touches[0].afterWrites, 0u);
    EXPECT_EQ(touches[1].port, ports.second);
    EXPECT_FALSE(touches[1].grabbed);
    EXPECT_EQ(touches[1].afterWrites, writes.size());
    ASSERT_GE(writes.size(), 3u);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].port, ports.second);
        if (i > 0) {
            EXPECT_GT(writes[i].value, writes[i - 1].value);
        }
    }
    EXPECT_GT(writes.back().value, 80.0f) << "the port carries the plain value in %";
    close(ui);
}

TEST_F(Lv2UiTest, PortEventsMoveTheFaderAndItsReadoutAndLightTheMetersAndLamp) {
    Ui ui = open();
    ASSERT_NE(ui.handle, nullptr);
    portEvent(ui, ports.second, 20.0f);
    idleFor(ui, 200);
    EXPECT_EQ(
        XvfbSession::firstDifference(shown(ui), headlessEditorRender(BRL_PLUGIN_PATH, {{2, 0.2f}}),
                                     editorWidth, editorHeight, "lv2_ui_port_event"),
        "");
    EXPECT_TRUE(writes.empty()) << "a value from the host is not sent back";

    const std::vector<std::uint32_t> quiet = shown(ui);
    portEvent(ui, ports.meterLeft, -3.0f);
    portEvent(ui, ports.meterRight, -20.0f);
    portEvent(ui, ports.clip, 1.0f);
    idleFor(ui, 200);
    const std::vector<std::uint32_t> loud = shown(ui);
    // Pixels changed in each meter's column and at the clip lamp.
    auto changedIn = [&](int left, int top, int right, int bottom) {
        int changed = 0;
        for (int y = top; y < bottom; ++y)
            for (int px = left; px < right; ++px) {
                changed += quiet[y * editorWidth + px] != loud[y * editorWidth + px];
            }
        return changed;
    };
    const int leftMeter = changedIn(254, 60, 266, 200);
    const int rightMeter = changedIn(273, 60, 285, 200);
    EXPECT_GT(rightMeter, 0);
    EXPECT_GT(leftMeter, rightMeter) << "-3 dB lights more steps than -20 dB";
    EXPECT_GT(changedIn(235, 44, 250, 58), 0) << "the clip lamp";
    close(ui);
}

TEST_F(Lv2UiTest, SeveralInstancesCloseAndReopenAndAParentDestroyedFirstAreClean) {
    Ui first = open();
    Ui second = open();
    ASSERT_NE(first.handle, nullptr);
    ASSERT_NE(second.handle, nullptr);
    portEvent(second, ports.second, 20.0f);
    idleFor(first, 100);
    idleFor(second, 100);
    // This host destroys the parent and cleans up without an idle in between.
    x.destroyWindow(first.parent);
    descriptor->cleanup(first.handle);
    EXPECT_EQ(idle->idle(second.handle), 0);
    const std::vector<std::uint32_t> expected = headlessEditorRender(BRL_PLUGIN_PATH, {{2, 0.2f}});
    EXPECT_EQ(XvfbSession::firstDifference(shown(second), expected, editorWidth, editorHeight,
                                           "lv2_ui_second"),
              "");

    // The host destroys the parent before it cleans the interface up.
    x.destroyWindow(second.parent);
    int closedAt = -1;
    for (int i = 0; i < 50 && closedAt < 0; ++i) {
        if (idle->idle(second.handle) == 1) closedAt = i;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(closedAt, 0) << "idle says the window is gone";
    descriptor->cleanup(second.handle);

    // A parent gone before the interface opens: no interface, and no harm.
    const unsigned long gone = x.createWindow(50, 50);
    x.destroyWindow(gone);
    EXPECT_EQ(open(gone).handle, nullptr);

    Ui again = open();
    ASSERT_NE(again.handle, nullptr);
    portEvent(again, ports.second, 20.0f);
    idleFor(again, 150);
    EXPECT_EQ(XvfbSession::firstDifference(shown(again), expected, editorWidth, editorHeight,
                                           "lv2_ui_again"),
              "");
    close(again);
}

}  // namespace
