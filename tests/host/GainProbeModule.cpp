#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "shell/EffectRecord.h"
#include "shell/Opcodes.h"

// A small plug-in of the interface written without the project's effect classes, so the host
// is tested against a second, independent implementation. Output: the input times the Level
// gain plus Square times its square, delayed by the latency (12 samples at 44100 and 48000 Hz,
// 24 at 88200 and 96000 Hz). Parameters: Level (dB, -24..12 in steps of 0.1), Square (%, 0..100,
// linear), Cutoff (Hz, 100..20000, exponential, display only) and Mode (shows words, not
// numbers). Three programs; the bank chunk is three programs of 4 big-endian floats and a
// 16-byte name.
namespace {

constexpr int kParameters = 4;
constexpr int kPrograms = 3;
constexpr int kNameSize = 16;
constexpr int kProgramBytes = 4 * kParameters + kNameSize;
constexpr int kMaxLatency = 24;

struct Program {
    float values[kParameters];
    char name[kNameSize];
};

struct GainProbe {
    EffectRecord record;
    HostCallback host;
    Program programs[kPrograms];
    int current = 0;
    float sampleRate = 44100.0f;
    float history[2][kMaxLatency] = {};
    unsigned char chunk[kProgramBytes * kPrograms];
};

GainProbe* probeOf(EffectRecord* record) { return static_cast<GainProbe*>(record->owner); }
float* values(GainProbe* p) { return p->programs[p->current].values; }

void putBigEndian(unsigned char* bytes, float value) {
    std::uint32_t word;
    std::memcpy(&word, &value, 4);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(word >> (24 - 8 * i));
}

float getBigEndian(const unsigned char* bytes) {
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word = (word << 8) | bytes[i];
    float value;
    std::memcpy(&value, &word, 4);
    return value;
}

void fillChunk(GainProbe* p) {
    for (int k = 0; k < kPrograms; ++k) {
        unsigned char* at = p->chunk + k * kProgramBytes;
        for (int i = 0; i < kParameters; ++i) putBigEndian(at + 4 * i, p->programs[k].values[i]);
        std::memcpy(at + 4 * kParameters, p->programs[k].name, kNameSize);
    }
}

int latencyFor(float rate) { return rate > 60000.0f ? 24 : 12; }

float plainOf(int index, float n) {
    switch (index) {
        case 0: return std::floor(n * 360.0f + 0.5f) * 0.1f - 24.0f;
        case 1: return 100.0f * n;
        case 2: return 100.0f * std::pow(200.0f, n);
        default: return n;
    }
}

void process(EffectRecord* record, float** inputs, float** outputs, std::int32_t frames, bool add) {
    GainProbe* p = probeOf(record);
    const float gain = std::pow(10.0f, plainOf(0, values(p)[0]) / 20.0f);
    const float square = values(p)[1];
    const int delay = record->latency;
    for (int c = 0; c < 2; ++c) {
        float* line = p->history[c];
        for (std::int32_t i = 0; i < frames; ++i) {
            const float x = inputs[c][i];
            const float y = delay ? line[0] : x;
            if (delay) {
                std::memmove(line, line + 1, sizeof(float) * (delay - 1));
                line[delay - 1] = x;
            }
            const float out = gain * (y + square * y * y);
            outputs[c][i] = add ? outputs[c][i] + out : out;
        }
    }
}

void processAdding(EffectRecord* r, float** in, float** out, std::int32_t n) {
    process(r, in, out, n, true);
}
void processReplacing(EffectRecord* r, float** in, float** out, std::int32_t n) {
    process(r, in, out, n, false);
}

void setParameter(EffectRecord* record, std::int32_t index, float value) {
    if (index >= 0 && index < kParameters && std::isfinite(value)) {
        values(probeOf(record))[index] = std::fmin(std::fmax(value, 0.0f), 1.0f);
    }
}

float getParameter(EffectRecord* record, std::int32_t index) {
    return index >= 0 && index < kParameters ? values(probeOf(record))[index] : 0.0f;
}

void copyText(void* ptr, const char* text) {
    if (ptr) std::strcpy(static_cast<char*>(ptr), text);
}

PlxIntPtr dispatch(EffectRecord* record, std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                   void* ptr, float opt) {
    GainProbe* p = probeOf(record);
    static const char* const names[kParameters] = {"Level", "Square", "Cutoff", "Mode"};
    static const char* const units[kParameters] = {"dB", "%", "Hz", ""};
    const bool validIndex = index >= 0 && index < kParameters;
    switch (opcode) {
        case opClose: delete p; return 1;
        case opSetProgram:
            if (value >= 0 && value < kPrograms) p->current = static_cast<int>(value);
            return 0;
        case opGetProgram: return p->current;
        case opGetProgramName: copyText(ptr, p->programs[p->current].name); return 0;
        case opGetParameterName: copyText(ptr, validIndex ? names[index] : ""); return 0;
        case opGetParameterUnit: copyText(ptr, validIndex ? units[index] : ""); return 0;
        case opGetParameterText:
            if (index == 3) {
                copyText(ptr, values(p)[3] < 0.5f ? "soft" : "hard");
            } else if (validIndex && ptr) {
                std::snprintf(static_cast<char*>(ptr), 9, "%.3f", plainOf(index, values(p)[index]));
            }
            return 0;
        case opSetSampleRate: p->sampleRate = opt; return 0;
        case opSetActive:
            if (value) {
                record->latency = latencyFor(p->sampleRate);
                std::memset(p->history, 0, sizeof p->history);
            }
            return 0;
        case opGetStateData:
            fillChunk(p);
            *static_cast<void**>(ptr) = index ? p->chunk + p->current * kProgramBytes : p->chunk;
            return index ? kProgramBytes : kProgramBytes * kPrograms;
        case opSetStateData: {
            const unsigned char* bytes = static_cast<const unsigned char*>(ptr);
            const int count = index ? 1 : kPrograms;
            if (!bytes || value != count * kProgramBytes) return 0;
            for (int k = 0; k < count; ++k) {
                Program& target = p->programs[index ? p->current : k];
                for (int i = 0; i < kParameters; ++i) {
                    target.values[i] = getBigEndian(bytes + k * kProgramBytes + 4 * i);
                }
                std::memcpy(target.name, bytes + k * kProgramBytes + 4 * kParameters, kNameSize);
                target.name[kNameSize - 1] = '\0';
            }
            return 1;
        }
        case opGetCategory: return 7;
        case opGetVendorName: copyText(ptr, "Test Bench"); return 1;
        case opGetInterfaceVersion: return 2200;
        default: return 0;
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) EffectRecord* gainProbeMain(
    HostCallback host) __asm__("main");

extern "C" EffectRecord* gainProbeMain(HostCallback host) {
    if (!host || host(nullptr, hostRequestVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    GainProbe* p = new (std::nothrow) GainProbe();
    if (!p) return nullptr;
    EffectRecord& r = p->record;
    r.magic = kEffectMagic;
    r.dispatchFn = dispatch;
    r.processAddingFn = processAdding;
    r.setParameterFn = setParameter;
    r.getParameterFn = getParameter;
    r.programCount = kPrograms;
    r.parameterCount = kParameters;
    r.inputCount = 2;
    r.outputCount = 2;
    r.flags = kFlagAcceptsMono | kFlagOverwriting | kFlagStateData;
    r.outputInputRatio = 1.0f;
    r.owner = p;
    r.pluginId = fourCharCode("GnPb");
    r.pluginVersion = 3;
    r.processOverwritingFn = processReplacing;
    p->host = host;
    const char* const programNames[kPrograms] = {"Unity", "Quiet", "Loud"};
    const float levels[kPrograms] = {24.0f / 36.0f, 12.0f / 36.0f, 30.0f / 36.0f};
    for (int k = 0; k < kPrograms; ++k) {
        p->programs[k] = Program{{levels[k], 0.0f, 0.5f, 0.0f}, {}};
        std::strncpy(p->programs[k].name, programNames[k], kNameSize - 1);
    }
    return &r;
}
