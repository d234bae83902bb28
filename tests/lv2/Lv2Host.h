#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// A host built on lilv, as real LV2 hosts are: it finds the bundle through LV2_PATH, takes the
// ports from the plug-in's description, maps URIs, announces a maximum block length, and
// saves, restores and applies presets through lilv's state functions.
class Lv2Host {
public:
    class Instance;

    Lv2Host(const char* bundleParent, std::int32_t maxBlockLength) : maxBlock(maxBlockLength) {
        setenv("LV2_PATH", (std::string(bundleParent) + ":/usr/lib/lv2").c_str(), 1);
        world = lilv_world_new();
        lilv_world_load_all(world);
        LilvNode* uri = lilv_new_uri(world, "urn:quillmere:brillianteer");
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
        options[0] = {
            LV2_OPTIONS_INSTANCE, 0,        urid(LV2_BUF_SIZE__maxBlockLength), sizeof maxBlock,
            urid(LV2_ATOM__Int),  &maxBlock};
    }
    ~Lv2Host() { lilv_world_free(world); }
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

    const LilvPlugin* found() const { return plugin; }
    LilvWorld* lilvWorld() const { return world; }
    const LV2_Feature* uridMapFeature() const { return &mapFeature; }

    // The port's index by its symbol, from the description.
    std::uint32_t portIndex(const char* symbol) const {
        LilvNode* name = lilv_new_string(world, symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, name);
        lilv_node_free(name);
        return lilv_port_get_index(plugin, port);
    }

    LV2_URID urid(const std::string& uri) {
        const auto known = std::find(uris.begin(), uris.end(), uri);
        if (known == uris.end()) return (uris.push_back(uri), static_cast<LV2_URID>(uris.size()));
        return static_cast<LV2_URID>(known - uris.begin() + 1);
    }

    // The presets related to the plug-in, with their labels; the caller frees each state.
    std::vector<std::pair<std::string, LilvState*>> presets() {
        std::vector<std::pair<std::string, LilvState*>> result;
        LilvNode* presetClass = lilv_new_uri(world, LV2_PRESETS__Preset);
        LilvNodes* related = lilv_plugin_get_related(plugin, presetClass);
        LILV_FOREACH(nodes, i, related) {
            lilv_world_load_resource(world, lilv_nodes_get(related, i));
            LilvState* state = lilv_state_new_from_world(world, &map, lilv_nodes_get(related, i));
            if (state) result.emplace_back(lilv_state_get_label(state), state);
        }
        lilv_nodes_free(related);
        lilv_node_free(presetClass);
        return result;
    }

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle self, const char* uri) {
        return static_cast<Lv2Host*>(self)->urid(uri);
    }

    LilvWorld* world;
    const LilvPlugin* plugin;
    std::int32_t maxBlock;
    std::vector<std::string> uris;  // URID k names uris[k - 1]
    LV2_URID_Map map{this, &Lv2Host::mapUri};
    LV2_Options_Option options[2] = {};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature optionsFeature{LV2_OPTIONS__options, options};
    LV2_Feature boundedFeature{LV2_BUF_SIZE__boundedBlockLength, nullptr};
    const LV2_Feature* features[4] = {&mapFeature, &optionsFeature, &boundedFeature, nullptr};
};

// One instance, activated, with a value for every control port (its default to start with).
class Lv2Host::Instance {
public:
    // What the plug-in keeps in a host's session, key by key.
    struct Properties {
        std::vector<unsigned char> bank;
        std::vector<unsigned char> program;
    };

    Instance(Lv2Host& host, double sampleRate) : host(host) {
        values.resize(lilv_plugin_get_num_ports(host.plugin));
        lilv_plugin_get_port_ranges_float(host.plugin, nullptr, nullptr, values.data());
        for (float& value : values) value = std::isnan(value) ? 0.0f : value;
        instance = lilv_plugin_instantiate(host.plugin, sampleRate, host.features);
        if (!instance) return;
        for (std::uint32_t p = 0; p < values.size(); ++p)
            lilv_instance_connect_port(instance, p, &values[p]);
        lilv_instance_activate(instance);
    }
    ~Instance() {
        if (!instance) return;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool created() const { return instance != nullptr; }
    // Deactivates and activates again, which starts the processing from silence.
    void restart() {
        lilv_instance_deactivate(instance);
        lilv_instance_activate(instance);
    }

    float& control(const char* symbol) { return values[portIndex(symbol)]; }

    // One run; the outputs may be the inputs' buffers.
    void run(float* inLeft, float* inRight, float* outLeft, float* outRight, std::uint32_t frames) {
        const std::pair<const char*, float*> audio[] = {
            {"in_l", inLeft}, {"in_r", inRight}, {"out_l", outLeft}, {"out_r", outRight}};
        for (const auto& [symbol, buffer] : audio)
            lilv_instance_connect_port(instance, portIndex(symbol), buffer);
        lilv_instance_run(instance, frames);
    }

    LilvState* saveState() {
        return lilv_state_new_from_instance(host.plugin, instance, &host.map, nullptr, nullptr,
                                            nullptr, nullptr, &Instance::portValue, this,
                                            LV2_STATE_IS_POD, host.features);
    }
    // Sets the ports the state holds and hands the plug-in its properties.
    void restoreState(const LilvState* state) {
        lilv_state_restore(state, instance, &Instance::setPortValue, this, 0, host.features);
    }

    // Through the plug-in's state interface directly, as a host saving or restoring a session.
    Properties storedProperties() {
        properties = {};
        stateInterface()->save(lilv_instance_get_handle(instance), &Instance::store, this, 0,
                               host.features);
        return properties;
    }
    void restoreProperties(const Properties& restored) {
        properties = restored;
        stateInterface()->restore(lilv_instance_get_handle(instance), &Instance::retrieve, this, 0,
                                  host.features);
    }

private:
    std::uint32_t portIndex(const char* symbol) const { return host.portIndex(symbol); }

    const LV2_State_Interface* stateInterface() const {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    }

    std::vector<unsigned char>* property(std::uint32_t key) {
        if (key == host.urid("urn:quillmere:brillianteer#bank")) return &properties.bank;
        if (key == host.urid("urn:quillmere:brillianteer#program")) return &properties.program;
        return nullptr;
    }

    static const void* portValue(const char* symbol, void* self, std::uint32_t* size,
                                 std::uint32_t* type) {
        auto* instance = static_cast<Instance*>(self);
        *size = sizeof(float);
        *type = instance->host.urid(LV2_ATOM__Float);
        return &instance->control(symbol);
    }

    static void setPortValue(const char* symbol, void* self, const void* value, std::uint32_t size,
                             std::uint32_t type) {
        auto* instance = static_cast<Instance*>(self);
        if (size == sizeof(float) && type == instance->host.urid(LV2_ATOM__Float)) {
            instance->control(symbol) = *static_cast<const float*>(value);
        }
    }

    static LV2_State_Status store(LV2_State_Handle self, std::uint32_t key, const void* value,
                                  std::size_t size, std::uint32_t, std::uint32_t) {
        std::vector<unsigned char>* stored = static_cast<Instance*>(self)->property(key);
        if (!stored) return LV2_STATE_ERR_NO_PROPERTY;
        stored->assign(static_cast<const unsigned char*>(value),
                       static_cast<const unsigned char*>(value) + size);
        return LV2_STATE_SUCCESS;
    }

    static const void* retrieve(LV2_State_Handle self, std::uint32_t key, std::size_t* size,
                                std::uint32_t* type, std::uint32_t* flags) {
        auto* instance = static_cast<Instance*>(self);
        const std::vector<unsigned char>* stored = instance->property(key);
        if (!stored || stored->empty()) return nullptr;
        *size = stored->size();
        *type = instance->host.urid(stored == &instance->properties.bank ? LV2_ATOM__Chunk
                                                                         : LV2_ATOM__Int);
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return stored->data();
    }

    Lv2Host& host;
    LilvInstance* instance = nullptr;
    std::vector<float> values;
    Properties properties;
};
