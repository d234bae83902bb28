#include "platform/Input.h"
#include "platform/Window.h"

// A module with its own private copy of the platform layer, as a plug-in has: it opens a child
// window in a window that the loading program gives it.
namespace {

struct Report {
    int paints;
    int clicks;
    bool buttonDown;
    unsigned tick;
};

class Child final : public platform::WindowListener {
public:
    explicit Child(Report* report) : report(report) {}
    void windowPaint(platform::Window*, platform::Surface*) override { ++report->paints; }
    void windowMouseDown(platform::Window*, int, int) override {
        ++report->clicks;
        report->buttonDown = platform::isKeyDown(platform::Key::leftButton);
        report->tick = platform::tickCount();
    }
    void windowDestroyed(platform::Window*) override { delete this; }
    platform::Brush* editFieldColors(platform::Window*, platform::Window*,
                                     platform::Surface*) override {
        return nullptr;
    }

private:
    Report* report;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) platform::Window* openChild(
    platform::Window* parent, Report* report) {
    platform::registerWindowClass("SecondBinaryChild");
    return platform::createChildWindow(parent, "SecondBinaryChild", "Window", 0, 0, 50, 40,
                                       new Child(report));
}
