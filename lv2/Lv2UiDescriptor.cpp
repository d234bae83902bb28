#include <lv2/ui/ui.h>

#include <cstring>
#include <memory>
#include <string>

#include "lv2/Lv2Ports.h"
#include "lv2/Lv2Ui.h"

// The module's one entry: the descriptor of the X11 user interface.
namespace {

const std::string uiUri = std::string(lv2_ports::kPluginUri) + "#ui";

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    std::unique_ptr<Lv2Ui> ui = Lv2Ui::create(write, controller, features);
    if (!ui || !widget) return nullptr;
    *widget = ui->widget();
    return ui.release();
}

void cleanup(LV2UI_Handle handle) { delete static_cast<Lv2Ui*>(handle); }

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer) {
    static_cast<Lv2Ui*>(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) { return static_cast<Lv2Ui*>(handle)->idle(); }
int show(LV2UI_Handle handle) { return static_cast<Lv2Ui*>(handle)->show(); }
int hide(LV2UI_Handle handle) { return static_cast<Lv2Ui*>(handle)->hide(); }

const LV2UI_Idle_Interface idleInterface{idle};
const LV2UI_Show_Interface showInterface{show, hide};

const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idleInterface;
    if (std::strcmp(uri, LV2_UI__showInterface) == 0) return &showInterface;
    return nullptr;
}

const LV2UI_Descriptor descriptor{uiUri.c_str(), instantiate, cleanup, portEvent, extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}
