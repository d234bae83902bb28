#include "lv2/Lv2Plugin.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>

#include "params/BrillianteerParameters.h"
#include "params/ParameterSet.h"
#include "shell/Opcodes.h"

namespace {

using namespace lv2_ports;

// Without a bound from the host the engine is built for this block; longer runs are cut.
constexpr std::int32_t kDefaultBlockSize = 1024;
// Longer runs are cut into pieces anyway, so a larger engine would only cost memory.
constexpr std::int32_t kLargestBlockSize = 8192;

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features) {
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    }
    return nullptr;
}

// The host's maximum block, else its nominal one, from the instance's options; 0 if neither.
std::int32_t announcedBlockSize(const LV2_Options_Option* options, LV2_URID_Map* map) {
    if (!options || !map) return 0;
    const LV2_URID maxKey = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID nominalKey = map->map(map->handle, LV2_BUF_SIZE__nominalBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    std::int32_t maximum = 0;
    std::int32_t nominal = 0;
    for (const LV2_Options_Option* o = options; o->key != 0; ++o) {
        if (o->context != LV2_OPTIONS_INSTANCE || o->type != intType || !o->value ||
            o->size != sizeof(std::int32_t)) {
            continue;
        }
        std::int32_t value;
        std::memcpy(&value, o->value, sizeof value);
        if (o->key == maxKey) maximum = value;
        if (o->key == nominalKey) nominal = value;
    }
    return maximum > 0 ? maximum : std::max(nominal, 0);
}

}  // namespace

Lv2Plugin* Lv2Plugin::instantiate(double sampleRate, const LV2_Feature* const* features) {
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    const auto* options =
        static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));

    std::int32_t blockSize = announcedBlockSize(options, map);
    blockSize = blockSize > 0 ? std::min(blockSize, kLargestBlockSize) : kDefaultBlockSize;
    Urids urids;
    if (map) {
        urids.bankKey = map->map(map->handle, kBankKey);
        urids.programKey = map->map(map->handle, kProgramKey);
        urids.chunkType = map->map(map->handle, LV2_ATOM__Chunk);
        urids.intType = map->map(map->handle, LV2_ATOM__Int);
    }
    std::unique_ptr<EffectSession> session = EffectSession::create();
    if (!session) return nullptr;
    return new (std::nothrow)
        Lv2Plugin(std::move(session), static_cast<float>(sampleRate), blockSize, urids);
}

Lv2Plugin::Lv2Plugin(std::unique_ptr<EffectSession> session, float sampleRate,
                     std::int32_t blockSize, const Urids& urids)
    : session(std::move(session)), sampleRate(sampleRate), blockSize(blockSize), urids(urids) {
    resendControls();
}

void Lv2Plugin::connectPort(std::uint32_t port, void* data) {
    if (port < Count) ports[port] = static_cast<float*>(data);
}

void Lv2Plugin::activate() {
    session->dispatch(opSetBlockSize, 0, blockSize);
    session->dispatch(opSetSampleRate, 0, 0, nullptr, sampleRate);
    session->dispatch(opSetActive, 0, 1);
}

void Lv2Plugin::deactivate() { session->dispatch(opSetActive, 0, 0); }

void Lv2Plugin::resendControls() {
    std::fill(std::begin(sentControls), std::end(sentControls),
              std::numeric_limits<float>::quiet_NaN());
}

void Lv2Plugin::applyControls() {
    ParameterSet& table = session->parameters();
    for (std::int32_t i = 0; i < kControlCount; ++i) {
        const float* port = ports[FirstControl + i];
        if (!port) continue;
        const float plain = *port;
        if (!std::isfinite(plain) || plain == sentControls[i]) continue;
        sentControls[i] = plain;
        const float inRange = std::clamp(plain, table.getMinimum(i), table.getMaximum(i));
        session->setParameter(i, table.toNormalized(i, inRange));
    }
}

void Lv2Plugin::run(std::uint32_t frames) {
    applyControls();
    float* in[2] = {ports[InLeft], ports[InRight]};
    float* out[2] = {ports[OutLeft], ports[OutRight]};
    if (in[0] && in[1] && out[0] && out[1]) {
        ParameterSet& table = session->parameters();
        // Inputs and outputs may share buffers: the effect reads a piece whole before writing.
        for (std::uint32_t done = 0; done < frames;) {
            const auto piece = static_cast<std::int32_t>(
                std::min<std::uint32_t>(frames - done, static_cast<std::uint32_t>(blockSize)));
            float* pieceIn[2] = {in[0] + done, in[1] + done};
            float* pieceOut[2] = {out[0] + done, out[1] + done};
            table.setMeterRequest(true);
            session->processReplacing(pieceIn, pieceOut, piece);
            done += static_cast<std::uint32_t>(piece);
        }
    }
    writeOutputs();
}

void Lv2Plugin::writeOutputs() {
    if (float* latency = ports[Latency]) *latency = static_cast<float>(session->latency());
    float levels[2];
    session->parameters().getData(BrillianteerParameters::Meters, levels, sizeof levels, 0);
    if (ports[MeterLeft]) *ports[MeterLeft] = levels[0];
    if (ports[MeterRight]) *ports[MeterRight] = levels[1];
    // The editor's clip lamp lights at the same reading.
    if (ports[Clip]) *ports[Clip] = levels[0] >= 0.0f || levels[1] >= 0.0f ? 1.0f : 0.0f;
}

LV2_State_Status Lv2Plugin::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (!urids.bankKey) return LV2_STATE_ERR_NO_FEATURE;
    void* bank = nullptr;
    const auto bankBytes = session->dispatch(opGetStateData, 0, 0, &bank);
    if (!bank || bankBytes <= 0) return LV2_STATE_ERR_UNKNOWN;
    const std::uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    LV2_State_Status status = store(handle, urids.bankKey, bank,
                                    static_cast<std::size_t>(bankBytes), urids.chunkType, flags);
    if (status != LV2_STATE_SUCCESS) return status;
    const auto program = static_cast<std::int32_t>(session->dispatch(opGetProgram));
    return store(handle, urids.programKey, &program, sizeof program, urids.intType, flags);
}

LV2_State_Status Lv2Plugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (!urids.bankKey) return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    // The program first: selecting it stores the old settings into the old bank, which the
    // restored bank then replaces, loading the selected program from it.
    const void* program = retrieve(handle, urids.programKey, &size, &type, &flags);
    if (program && type == urids.intType && size == sizeof(std::int32_t)) {
        std::int32_t index;
        std::memcpy(&index, program, sizeof index);
        if (index >= 0 && index < session->programCount())
            session->dispatch(opSetProgram, 0, index);
    }
    const void* bank = retrieve(handle, urids.bankKey, &size, &type, &flags);
    void* ownBank = nullptr;
    const auto bankBytes = session->dispatch(opGetStateData, 0, 0, &ownBank);
    // A chunk of another size is not this plug-in's bank.
    if (bank && type == urids.chunkType && bankBytes > 0 &&
        size == static_cast<std::size_t>(bankBytes)) {
        session->dispatch(opSetStateData, 0, bankBytes, const_cast<void*>(bank));
    }
    // The ports are the host's: they override what the program just loaded.
    resendControls();
    return LV2_STATE_SUCCESS;
}
