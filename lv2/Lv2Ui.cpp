#include "lv2/Lv2Ui.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "editor/BrillianteerEditor.h"
#include "host/X11EditorWindow.h"
#include "lv2/EffectSession.h"
#include "lv2/Lv2Ports.h"
#include "params/BrillianteerParameters.h"
#include "params/ParameterSet.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"

using namespace lv2_ports;

namespace {

const void* feature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features) {
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    }
    return nullptr;
}

}  // namespace

Lv2Ui::Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller)
    : write(write),
      controller(controller),
      levels{BrillianteerParameters::meterFloorDb, BrillianteerParameters::meterFloorDb} {}

std::unique_ptr<Lv2Ui> Lv2Ui::create(LV2UI_Write_Function write, LV2UI_Controller controller,
                                     const LV2_Feature* const* features) {
    if (!write) return nullptr;
    std::unique_ptr<Lv2Ui> ui(new (std::nothrow) Lv2Ui(write, controller));
    if (!ui) return nullptr;
    ui->touch = static_cast<const LV2UI_Touch*>(feature(features, LV2_UI__touch));
    ui->session = EffectSession::create(&Lv2Ui::hostRequest);
    if (!ui->session) return nullptr;
    ui->session->setHostData(ui.get());

    EditorRect* size = nullptr;
    ui->session->dispatch(opEditorGetRect, 0, 0, &size);
    if (!size || size->right <= size->left || size->bottom <= size->top) return nullptr;
    const int width = size->right - size->left;
    const int height = size->bottom - size->top;
    const auto parent = reinterpret_cast<std::uintptr_t>(feature(features, LV2_UI__parent));
    ui->window = std::make_unique<X11EditorWindow>(width, height, parent, "Brillianteer");
    if (!ui->window->isOpen()) return nullptr;
    if (!ui->session->dispatch(opEditorOpen, 0, 0, ui->window->parentWindow()) ||
        !ui->window->holdsEditor())
        return nullptr;
    ui->editorOpen = true;
    if (const auto* resize = static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize)))
        resize->ui_resize(resize->handle, width, height);
    ui->idle();
    return ui;
}

Lv2Ui::~Lv2Ui() {
    if (editorOpen) session->dispatch(opEditorClose);
    window.reset();
    if (session) session->setHostData(nullptr);
}

LV2UI_Widget Lv2Ui::widget() const {
    return reinterpret_cast<LV2UI_Widget>(static_cast<std::uintptr_t>(window->windowId()));
}

PlxIntPtr Lv2Ui::hostRequest(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                             PlxIntPtr value, void* ptr, float opt) {
    auto* ui = effect ? static_cast<Lv2Ui*>(effect->hostData) : nullptr;
    if (ui && (opcode == hostAutomate || opcode == hostRequestBeginEdit ||
               opcode == hostRequestEndEdit)) {
        ui->editorRequest(opcode, index);
        return 1;
    }
    return EffectSession::answerRequest(effect, opcode, index, value, ptr, opt);
}

void Lv2Ui::editorRequest(std::int32_t opcode, std::int32_t index) {
    if (opcode == hostAutomate) {
        if (index < 0 || index >= kControlCount) return;
        // The port carries the plain value the effect now holds.
        const float plain = session->parameters().getValue(index);
        write(controller, FirstControl + static_cast<std::uint32_t>(index), sizeof plain, 0,
              &plain);
        return;
    }
    const std::int32_t parameter = BrillianteerEditor::parameterOfBracket(index);
    if (!touch || parameter < 0 || parameter >= kControlCount) return;
    touch->touch(touch->handle, FirstControl + static_cast<std::uint32_t>(parameter),
                 opcode == hostRequestBeginEdit);
}

void Lv2Ui::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                      const void* buffer) {
    if (format != 0 || size != sizeof(float) || !buffer) return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    if (!std::isfinite(value)) return;
    if (port >= FirstControl && port < FirstControl + kControlCount) {
        const auto index = static_cast<std::int32_t>(port - FirstControl);
        ParameterSet& table = session->parameters();
        const float plain = std::clamp(value, table.getMinimum(index), table.getMaximum(index));
        session->setParameter(index, table.toNormalized(index, plain));
    } else if (port == MeterLeft || port == MeterRight) {
        levels[port - MeterLeft] = value;
        feedMeters();
    } else if (port == Clip) {
        clipLit = value >= 0.5f;
        feedMeters();
    }
}

void Lv2Ui::feedMeters() {
    // The editor reads the levels at its idle, and lights the clip lamp at 0 dB or more: the
    // reading at which the plug-in raised its clip port.
    float shown[2] = {levels[0], levels[1]};
    if (clipLit && shown[0] < 0.0f && shown[1] < 0.0f) shown[levels[1] > levels[0] ? 1 : 0] = 0.0f;
    session->parameters().setData(BrillianteerParameters::Meters, shown, sizeof shown, 0);
}

int Lv2Ui::idle() {
    if (!window->handleEvents()) return 1;
    session->dispatch(opEditorIdle);
    window->refresh();
    return 0;
}

int Lv2Ui::show() {
    window->setVisible(true);
    return 0;
}

int Lv2Ui::hide() {
    window->setVisible(false);
    return 0;
}
