#pragma once

#include <cstddef>
#include <cstdint>

// The record a host reads and calls through. On the 32-bit build its layout is the
// interface's exact 144-byte layout; on 64-bit the same fields keep their order with
// natural alignment, and the dispatcher's `value` and result are pointer-sized.

using PlxIntPtr = std::intptr_t;

struct EffectRecord;

using HostCallback = PlxIntPtr (*)(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                                   PlxIntPtr value, void* ptr, float opt);
using DispatchFn = PlxIntPtr (*)(EffectRecord* effect, std::int32_t opcode, std::int32_t index,
                                 PlxIntPtr value, void* ptr, float opt);
using ProcessFn = void (*)(EffectRecord* effect, float** inputs, float** outputs,
                           std::int32_t frames);
using SetParameterFn = void (*)(EffectRecord* effect, std::int32_t index, float value);
using GetParameterFn = float (*)(EffectRecord* effect, std::int32_t index);

// Four-character constants: first character in the most significant byte.
constexpr std::int32_t fourCharCode(const char (&text)[5]) {
    return static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
        static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])));
}

constexpr std::int32_t kEffectMagic = fourCharCode("PlxP");
constexpr std::int32_t kDefaultPluginId = fourCharCode("NoEf");
constexpr std::int32_t kIdentifyAnswer = fourCharCode("NvEf");

enum EffectFlags : std::int32_t {
    kFlagHasEditor = 0x01,
    kFlag02 = 0x02,
    kFlag04 = 0x04,
    kFlagAcceptsMono = 0x08,
    kFlagOverwriting = 0x10,
    kFlagStateData = 0x20,
    kFlag100 = 0x100,
    kFlag200 = 0x200,
    kFlag400 = 0x400,
    kFlag800 = 0x800,
};

struct EffectRecord {
    std::int32_t magic;
    DispatchFn dispatchFn;
    ProcessFn processAddingFn;
    SetParameterFn setParameterFn;
    GetParameterFn getParameterFn;
    std::int32_t programCount;
    std::int32_t parameterCount;
    std::int32_t inputCount;
    std::int32_t outputCount;
    std::int32_t flags;
    std::int32_t reserved1;
    std::int32_t reserved2;
    std::int32_t latency;
    std::int32_t reserved3;
    std::int32_t reserved4;
    float outputInputRatio;
    void* owner;
    void* hostData;
    std::int32_t pluginId;
    std::int32_t pluginVersion;
    ProcessFn processOverwritingFn;
    unsigned char future[60];
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(EffectRecord) == 144, "the host reads a 144-byte record");
static_assert(offsetof(EffectRecord, magic) == 0);
static_assert(offsetof(EffectRecord, dispatchFn) == 4);
static_assert(offsetof(EffectRecord, processAddingFn) == 8);
static_assert(offsetof(EffectRecord, setParameterFn) == 12);
static_assert(offsetof(EffectRecord, getParameterFn) == 16);
static_assert(offsetof(EffectRecord, programCount) == 20);
static_assert(offsetof(EffectRecord, parameterCount) == 24);
static_assert(offsetof(EffectRecord, inputCount) == 28);
static_assert(offsetof(EffectRecord, outputCount) == 32);
static_assert(offsetof(EffectRecord, flags) == 36);
static_assert(offsetof(EffectRecord, reserved1) == 40);
static_assert(offsetof(EffectRecord, reserved2) == 44);
static_assert(offsetof(EffectRecord, latency) == 48);
static_assert(offsetof(EffectRecord, reserved3) == 52);
static_assert(offsetof(EffectRecord, reserved4) == 56);
static_assert(offsetof(EffectRecord, outputInputRatio) == 60);
static_assert(offsetof(EffectRecord, owner) == 64);
static_assert(offsetof(EffectRecord, hostData) == 68);
static_assert(offsetof(EffectRecord, pluginId) == 72);
static_assert(offsetof(EffectRecord, pluginVersion) == 76);
static_assert(offsetof(EffectRecord, processOverwritingFn) == 80);
static_assert(offsetof(EffectRecord, future) == 84);
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
// 64-bit Windows and 64-bit Linux: pointers on 8-byte boundaries, so padding after `magic`
// and after `outputInputRatio`.
static_assert(sizeof(EffectRecord) == 184);
static_assert(offsetof(EffectRecord, magic) == 0);
static_assert(offsetof(EffectRecord, dispatchFn) == 8);
static_assert(offsetof(EffectRecord, processAddingFn) == 16);
static_assert(offsetof(EffectRecord, setParameterFn) == 24);
static_assert(offsetof(EffectRecord, getParameterFn) == 32);
static_assert(offsetof(EffectRecord, programCount) == 40);
static_assert(offsetof(EffectRecord, parameterCount) == 44);
static_assert(offsetof(EffectRecord, inputCount) == 48);
static_assert(offsetof(EffectRecord, outputCount) == 52);
static_assert(offsetof(EffectRecord, flags) == 56);
static_assert(offsetof(EffectRecord, reserved1) == 60);
static_assert(offsetof(EffectRecord, reserved2) == 64);
static_assert(offsetof(EffectRecord, latency) == 68);
static_assert(offsetof(EffectRecord, reserved3) == 72);
static_assert(offsetof(EffectRecord, reserved4) == 76);
static_assert(offsetof(EffectRecord, outputInputRatio) == 80);
static_assert(offsetof(EffectRecord, owner) == 88);
static_assert(offsetof(EffectRecord, hostData) == 96);
static_assert(offsetof(EffectRecord, pluginId) == 104);
static_assert(offsetof(EffectRecord, pluginVersion) == 108);
static_assert(offsetof(EffectRecord, processOverwritingFn) == 112);
static_assert(offsetof(EffectRecord, future) == 120);
#else
#error "the record is laid out for 32-bit and 64-bit pointers only"
#endif

// The module's one export, under the name the host looks up.
using PluginMainFn = EffectRecord* (*)(HostCallback hostCallback);
constexpr const char* kPluginMainName = "main";
