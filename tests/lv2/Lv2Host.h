#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A host built on lilv, as real LV2 hosts are: it finds the bundle through LV2_PATH, reads the
// plug-in's ports from its description, maps URIs, offers a maximum block length, and saves,
// restores and applies presets through lilv's state functions.
class Lv2Host {
public:
    class Instance;

    Lv2Host(const char* bundleParent, std::int32_t maxBlockLength)
        : maxBlockLength(maxBlockLength) {
        const std::string path = std::string(bundleParent) + ":/usr/lib/lv2";
        setenv("LV2_PATH", path.c_str(), 1);
        world = lilv_world_new();
        lilv_world_load_all(world);
        LilvNode* uri = lilv_new_uri(world, "urn:quillmere:brillianteer");
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);

        mapFeature = {LV2_URID__map, &map};
        const LV2_URID intType = urid(LV2_ATOM__Int);
        options[0] = {LV2_OPTIONS_INSTANCE, 0,       urid(LV2_BUF_SIZE__maxBlockLength),
                      sizeof(std::int32_t), intType, &this->maxBlockLength};
        options[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        optionsFeature = {LV2_OPTIONS__options, options};
        boundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
        features[0] = &mapFeature;
        features[1] = &optionsFeature;
        features[2] = &boundedFeature;
        features[3] = nullptr;
    }
    ~Lv2Host() { lilv_world_free(world); }
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

    const LilvPlugin* found() const { return plugin; }
    const LV2_Feature* const* featureList() const { return features; }
    LV2_URID_Map* uridMap() { return &map; }
    LilvWorld* lilvWorld() const { return world; }

    LV2_URID urid(const std::string& uri) {
        auto known = urids.find(uri);
        if (known != urids.end()) return known->second;
        const auto id = static_cast<LV2_URID>(urids.size() + 1);
        urids.emplace(uri, id);
        return id;
    }

    // The port's index by its symbol, from the description; -1 if it has none.
    std::int32_t portIndex(const char* symbol) const {
        LilvNode* name = lilv_new_string(world, symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, name);
        lilv_node_free(name);
        return port ? static_cast<std::int32_t>(lilv_port_get_index(plugin, port)) : -1;
    }

    // The presets the bundle offers, by label, in the order lilv lists them.
    std::vector<std::pair<std::string, LilvState*>> presets() {
        std::vector<std::pair<std::string, LilvState*>> result;
        LilvNode* presetClass = lilv_new_uri(world, LV2_PRESETS__Preset);
        LilvNodes* related = lilv_plugin_get_related(plugin, presetClass);
        LILV_FOREACH(nodes, i, related) {
            const LilvNode* preset = lilv_nodes_get(related, i);
            lilv_world_load_resource(world, preset);
            LilvState* state = lilv_state_new_from_world(world, &map, preset);
            if (state) result.emplace_back(lilv_state_get_label(state), state);
        }
        lilv_nodes_free(related);
        lilv_node_free(presetClass);
        return result;
    }

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
        return static_cast<Lv2Host*>(handle)->urid(uri);
    }

    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    std::int32_t maxBlockLength;
    std::map<std::string, LV2_URID> urids;
    LV2_URID_Map map{this, &Lv2Host::mapUri};
    LV2_Options_Option options[2];
    LV2_Feature mapFeature;
    LV2_Feature optionsFeature;
    LV2_Feature boundedFeature;
    const LV2_Feature* features[4];
};

// One instance with a value for every control port, connected as a host connects it.
class Lv2Host::Instance {
public:
    Instance(Lv2Host& host, double sampleRate) : host(host) {
        const auto ports = lilv_plugin_get_num_ports(host.plugin);
        values.assign(ports, 0.0f);
        std::vector<float> defaults(ports);
        lilv_plugin_get_port_ranges_float(host.plugin, nullptr, nullptr, defaults.data());
        for (std::uint32_t p = 0; p < ports; ++p) {
            if (!std::isnan(defaults[p])) values[p] = defaults[p];
        }
        instance = lilv_plugin_instantiate(host.plugin, sampleRate, host.features);
        if (!instance) return;
        for (std::uint32_t p = 0; p < ports; ++p)
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

    float& control(const char* symbol) {
        return values[static_cast<std::size_t>(host.portIndex(symbol))];
    }

    // Runs one block; the outputs may be the input buffers themselves.
    void run(float* inLeft, float* inRight, float* outLeft, float* outRight, std::uint32_t frames) {
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(host.portIndex("in_l")),
                                   inLeft);
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(host.portIndex("in_r")),
                                   inRight);
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(host.portIndex("out_l")),
                                   outLeft);
        lilv_instance_connect_port(instance, static_cast<std::uint32_t>(host.portIndex("out_r")),
                                   outRight);
        lilv_instance_run(instance, frames);
    }

    LilvState* saveState() {
        return lilv_state_new_from_instance(
            host.plugin, instance, &host.map, nullptr, nullptr, nullptr, nullptr,
            &Instance::portValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, host.features);
    }
    // Sets the ports the state holds and hands its properties to the plug-in.
    void restoreState(const LilvState* state) {
        lilv_state_restore(state, instance, &Instance::setPortValue, this, 0, host.features);
    }

    // What the plug-in stores, key by key, through its own state interface.
    std::map<std::string, std::vector<unsigned char>> storedProperties() {
        stored.clear();
        stateInterface()->save(lilv_instance_get_handle(instance), &Instance::store, this, 0,
                               host.features);
        return stored;
    }
    // A property as a host hands it back: its type's URI and its bytes.
    struct Property {
        const char* type;
        std::vector<unsigned char> bytes;
    };
    using Properties = std::map<std::string, Property>;

    // Hands the plug-in properties as a host that restores a session does.
    void restoreProperties(const Properties& properties) {
        restoring = &properties;
        stateInterface()->restore(lilv_instance_get_handle(instance), &Instance::retrieve, this, 0,
                                  host.features);
        restoring = nullptr;
    }

private:
    const LV2_State_Interface* stateInterface() const {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(instance, LV2_STATE__interface));
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
            std::memcpy(&instance->control(symbol), value, sizeof(float));
        }
    }

    static LV2_State_Status store(LV2_State_Handle self, std::uint32_t key, const void* value,
                                  std::size_t size, std::uint32_t, std::uint32_t) {
        auto* instance = static_cast<Instance*>(self);
        const char* uri = nullptr;
        for (const auto& known : instance->host.urids) {
            if (known.second == key) uri = known.first.c_str();
        }
        const auto* bytes = static_cast<const unsigned char*>(value);
        instance->stored[uri ? uri : ""] = std::vector<unsigned char>(bytes, bytes + size);
        return LV2_STATE_SUCCESS;
    }

    static const void* retrieve(LV2_State_Handle self, std::uint32_t key, std::size_t* size,
                                std::uint32_t* type, std::uint32_t* flags) {
        auto* instance = static_cast<Instance*>(self);
        for (const auto& property : *instance->restoring) {
            if (instance->host.urid(property.first) != key) continue;
            *size = property.second.bytes.size();
            *type = instance->host.urid(property.second.type);
            *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
            return property.second.bytes.data();
        }
        return nullptr;
    }

    Lv2Host& host;
    LilvInstance* instance = nullptr;
    std::vector<float> values;
    std::map<std::string, std::vector<unsigned char>> stored;
    const Properties* restoring = nullptr;
};
