#pragma once

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>

#include "lv2/EffectSession.h"
#include "lv2/Lv2Ports.h"

// The exciter behind LV2's plug-in interface. Control inputs carry the units the editor shows;
// a changed one is converted through the parameter table and handed to the effect as a host's
// parameter call would. `run` processes in pieces of at most the block size the engine was
// built for, so a longer run than announced needs no rebuild: it allocates nothing, takes no
// lock and makes no system call. The state is the effect's own bank chunk and current program.
class Lv2Plugin {
public:
    // Null when the effect cannot be created. A rate the chain cannot serve still instantiates.
    static Lv2Plugin* instantiate(double sampleRate, const LV2_Feature* const* features);

    void connectPort(std::uint32_t port, void* data);
    // Builds a fresh engine, so a reactivated instance starts from silence.
    void activate();
    void run(std::uint32_t frames);
    void deactivate();

    // May run while `run` does: it only copies the bank, which `run` never touches.
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    // Restores the programs and the current program; anything else the state holds is ignored.
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

private:
    struct Urids {
        LV2_URID bankKey = 0;  // 0 when the host maps no URIs: state is then refused
        LV2_URID programKey = 0;
        LV2_URID chunkType = 0;
        LV2_URID intType = 0;
    };

    Lv2Plugin(std::unique_ptr<EffectSession> session, float sampleRate, std::int32_t blockSize,
              const Urids& urids);
    // Every control input is handed to the effect again at the next run.
    void resendControls();
    void applyControls();
    void writeOutputs();

    std::unique_ptr<EffectSession> session;
    float sampleRate;
    std::int32_t blockSize;
    Urids urids;
    float* ports[lv2_ports::Count] = {};
    float sentControls[lv2_ports::kControlCount];  // NaN: not sent yet
};
