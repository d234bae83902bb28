#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

#include "lv2/Lv2Plugin.h"
#include "lv2/Lv2Ports.h"

// The C entry points LV2 hosts call, each forwarding to the one Lv2Plugin behind the handle.
// No exception may cross into the host: the calls that may allocate catch them all.
namespace {

Lv2Plugin* pluginOf(LV2_Handle handle) { return static_cast<Lv2Plugin*>(handle); }

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features) {
    try {
        return Lv2Plugin::instantiate(sampleRate, features);
    } catch (...) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    pluginOf(handle)->connectPort(port, data);
}

void activate(LV2_Handle handle) {
    try {
        pluginOf(handle)->activate();
    } catch (...) {
    }
}

void run(LV2_Handle handle, uint32_t frames) { pluginOf(handle)->run(frames); }
void deactivate(LV2_Handle handle) { pluginOf(handle)->deactivate(); }
void cleanup(LV2_Handle handle) { delete pluginOf(handle); }

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store,
                      LV2_State_Handle stateHandle, uint32_t, const LV2_Feature* const*) {
    try {
        return pluginOf(handle)->save(store, stateHandle);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle stateHandle, uint32_t, const LV2_Feature* const*) {
    try {
        return pluginOf(handle)->restore(retrieve, stateHandle);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const LV2_State_Interface stateInterface = {save, restore};

const void* extensionData(const char* uri) {
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &stateInterface : nullptr;
}

const LV2_Descriptor descriptor = {
    lv2_ports::kPluginUri, instantiate, connectPort, activate, run, deactivate, cleanup,
    extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}
