#pragma once

#include <string>
#include <vector>

#include "gui/Control.h"
#include "gui/View.h"

// Views and controls that write what happens to them into one log and count themselves, so a
// test can check the order of calls and that every object made was destroyed exactly once.
namespace probes {

inline std::vector<std::string>& log() {
    static std::vector<std::string> entries;
    return entries;
}

inline int& liveViews() {
    static int count = 0;
    return count;
}

class ProbeView : public View {
public:
    ProbeView(const std::string& name, const Rect& bounds) : View(bounds), name(name) {
        ++liveViews();
    }

    void draw(DrawContext*) override { log().push_back(name + ".draw"); }
    void onMouse(DrawContext*, Point where) override {
        log().push_back(name + ".click " + std::to_string(where.h) + "," + std::to_string(where.v));
    }
    void update(DrawContext* context) override {
        log().push_back(name + ".update");
        View::update(context);
    }
    bool dropItems(void** items, std::int32_t count, std::int32_t kind, Point) override {
        log().push_back(name + ".drop");
        dropped.clear();
        droppedCount = count;
        droppedKind = kind;
        if (kind == 0) {
            for (std::int32_t i = 0; i < count; ++i)
                dropped.push_back(static_cast<char*>(items[i]));
        } else if (kind == 1) {
            dropped.push_back(static_cast<char*>(items[0]));
        }
        return acceptsDrops;
    }
    bool wheel(DrawContext*, Point where, float distance) override {
        log().push_back(name + ".wheel " + std::to_string(where.h) + "," + std::to_string(where.v) +
                        " " + std::to_string(distance));
        return true;
    }
    void focusLost(DrawContext*) override { log().push_back(name + ".focusLost"); }
    bool onRemoved(Frame*) override {
        log().push_back(name + ".removed");
        return true;
    }
    bool onAttached(Frame*) override {
        log().push_back(name + ".attached");
        return true;
    }

    bool acceptsDrops = false;
    std::vector<std::string> dropped;
    std::int32_t droppedCount = -1;
    std::int32_t droppedKind = -1;

protected:
    ~ProbeView() override { --liveViews(); }

private:
    std::string name;
};

// Draws by bringing oldValue up to date, as every control does.
class ProbeControl : public Control {
public:
    ProbeControl(const Rect& bounds, ControlListener* listener, std::int32_t tag,
                 Bitmap* background = nullptr)
        : Control(bounds, listener, tag, background) {
        ++liveViews();
    }

    void draw(DrawContext*) override {
        log().push_back("control.draw");
        setDirty(false);
    }

    // A vertical drag: the value is the mouse's height over the control in hundredths.
    void onMouse(DrawContext* context, Point) override {
        if (!(context->getMouseButtons() & mouseLeft)) return;
        beginEdit();
        Point mouse;
        context->getMousePosition(mouse);
        while (context->getMouseButtons() & mouseLeft) {
            setValue(static_cast<float>(mouse.v - bounds.top) / 100.0f);
            clampValue();
            notifyIfDirty(context);
            context->getMousePosition(mouse);
            pumpIdle();
        }
        endEdit();
    }

protected:
    ~ProbeControl() override { --liveViews(); }
};

}  // namespace probes
