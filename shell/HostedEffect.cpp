#include "shell/HostedEffect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "params/ParameterSet.h"
#include "shell/EditorBase.h"
#include "shell/Opcodes.h"

namespace {

constexpr const char* kVendorName = "Quillmere";
constexpr std::int32_t kHostedCategory = 1;
// Parameters with a coarser step announce their old value before the new one.
constexpr float kFineStep = 0.1f;
// The module carries no default bank: the programs stay "Init 1" .. "Init n".
constexpr const char* kDefaultBankText = "";

// Texts from the host and from loaded chunks need not be terminated within their buffer.
void copyText(char* destination, const char* source, std::size_t capacity) {
    std::size_t length = 0;
    while (length + 1 < capacity && source[length] != '\0') ++length;
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

float readFloat(const unsigned char* slot) {
    float value;
    std::memcpy(&value, slot, sizeof(value));
    return value;
}

void writeFloat(unsigned char* slot, float value) { std::memcpy(slot, &value, sizeof(value)); }

bool isEditorOpcode(std::int32_t opcode) {
    switch (opcode) {
        case opEditorGetRect:
        case opEditorOpen:
        case opEditorClose:
        case opEditorIdle:
        case opEditorKeyDown:
        case opEditorKeyUp:
        case opEditorSetRotaryMode: return true;
        default: return false;
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

HostedEffect::HostedEffect(HostCallback hostCallback, std::int32_t inputs, std::int32_t outputs,
                           std::int32_t pluginId, std::int32_t automatableCount,
                           std::int32_t parameterTotal, std::int32_t programCount)
    : EffectBaseEx(hostCallback, programCount, automatableCount),
      automatableCount(automatableCount),
      parameterTotal(parameterTotal),
      bankProgramCount(programCount),
      nameSlot(parameterTotal),
      engineInputs(inputs),
      engineOutputs(outputs) {
    setInputCount(inputs);
    setOutputCount(outputs);
    setUniqueId(pluginId);
    setMonoFlag(true);
    setOverwritingFlag(true);
    setStateDataFlag(true);
}

HostedEffect::~HostedEffect() = default;

bool HostedEffect::isParameterIndex(std::int32_t index) const {
    return parameters && index >= 0 && index < parameterTotal;
}

float HostedEffect::clampToRange(std::int32_t index, float value) const {
    if (index < automatableCount) return std::clamp(value, 0.0f, 1.0f);
    const float minimum = parameters->getMinimum(index);
    const float maximum = parameters->getMaximum(index);
    return std::clamp(value, std::min(minimum, maximum), std::max(minimum, maximum));
}

PlxIntPtr HostedEffect::dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                                 void* ptr, float opt) {
    if (!isEditorOpcode(opcode)) return EffectBaseEx::dispatch(opcode, index, value, ptr, opt);
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    return EffectBaseEx::dispatch(opcode, index, value, ptr, opt);
}

void HostedEffect::setParameter(std::int32_t index, float value) {
    if (!isParameterIndex(index) || !std::isfinite(value)) return;
    value = clampToRange(index, value);
    if (index < automatableCount)
        parameters->setNormalized(index, value);
    else
        parameters->setValue(index, value);
    if (editor) editor->setParameter(index, value);
}

float HostedEffect::getParameter(std::int32_t index) {
    if (!isParameterIndex(index)) return 0.0f;
    return index < automatableCount ? parameters->getNormalized(index)
                                    : parameters->getValue(index);
}

PlxIntPtr HostedEffect::setParameterAndNotify(std::int32_t index, float value) {
    if (!isParameterIndex(index) || !std::isfinite(value)) return 0;
    value = clampToRange(index, value);
    if (parameters->getStep(index) > kFineStep)
        EffectBaseEx::setParameterAndNotify(index, parameters->takeNormalized(index));
    return EffectBaseEx::setParameterAndNotify(index, value);
}

void HostedEffect::process(float** inputs, float** outputs, std::int32_t frames) {
    if (frames > blockSize) {
        setBlockSize(frames);
        rebuildEngine();
    }
    if (engineReady)
        processBlock(inputs, outputs, frames, true);
    else if (hostResumed.load())
        passThrough(inputs, outputs, frames, true);
}

void HostedEffect::processOverwriting(float** inputs, float** outputs, std::int32_t frames) {
    if (frames > blockSize) {
        setBlockSize(frames);
        rebuildEngine();
    }
    if (!engineReady) {
        if (hostResumed.load()) passThrough(inputs, outputs, frames, false);
        return;
    }
    processBlock(inputs, outputs, frames, false);
    if (engineInputs == 1 && engineOutputs == 2 && outputs && outputs[0] && outputs[1] &&
        frames > 0)
        std::memcpy(outputs[1], outputs[0], sizeof(float) * static_cast<std::size_t>(frames));
}

// A mono input feeds every output; a missing output is skipped, a missing input gives silence.
void HostedEffect::passThrough(float** inputs, float** outputs, std::int32_t frames,
                               bool accumulate) const {
    if (!inputs || !outputs || frames <= 0) return;
    const std::int32_t inputCount = std::min(engineInputs, record.inputCount);
    const std::int32_t outputCount = std::min(engineOutputs, record.outputCount);
    const std::size_t count = static_cast<std::size_t>(frames);
    for (std::int32_t k = 0; k < outputCount; ++k) {
        float* out = outputs[k];
        const float* in = inputCount > 0 ? inputs[std::min(k, inputCount - 1)] : nullptr;
        if (!out) continue;
        if (accumulate) {
            if (in)
                for (std::size_t n = 0; n < count; ++n) out[n] += in[n];
        } else if (!in) {
            std::memset(out, 0, sizeof(float) * count);
        } else if (in != out) {
            std::memmove(out, in, sizeof(float) * count);
        }
    }
}

void HostedEffect::setProgram(std::int32_t program) {
    if (program < 0 || program >= bankProgramCount) return;
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    storeProgram(currentProgram);
    loadProgram(program);
    currentProgram = program;
}

void HostedEffect::setProgramName(char* name) {
    if (!name || !bankStorage) return;
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    copyText(reinterpret_cast<char*>(slotOf(currentProgram, nameSlot)), name,
             static_cast<std::size_t>(programNameSize));
}

void HostedEffect::getProgramName(char* name) { getProgramNameAt(name, currentProgram); }

std::int32_t HostedEffect::getProgramNameAt(char* text, std::int32_t program) {
    if (!text) return 0;
    if (!bankStorage || program < 0 || program >= bankProgramCount) {
        text[0] = '\0';
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    copyText(text, reinterpret_cast<const char*>(slotOf(program, nameSlot)),
             static_cast<std::size_t>(programNameSize));
    return 0;
}

void HostedEffect::getParameterUnit(std::int32_t index, char* text) {
    if (!text) return;
    text[0] = '\0';
    if (isParameterIndex(index)) copyText(text, parameters->getUnit(index), kProgramNameSize);
}

void HostedEffect::getParameterText(std::int32_t index, char* text) {
    if (!text) return;
    text[0] = '\0';
    if (isParameterIndex(index)) floatToText(parameters->getValue(index), text);
}

void HostedEffect::getParameterName(std::int32_t index, char* text) {
    if (!text) return;
    text[0] = '\0';
    if (isParameterIndex(index)) copyText(text, parameters->getName(index), kProgramNameSize);
}

std::int32_t HostedEffect::getStateData(void** data, bool isPreset) {
    if (!data) return 0;
    *data = nullptr;
    if (!bankStorage) return 0;
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    storeProgram(currentProgram);
    const unsigned char* start = programStart(isPreset ? currentProgram.load() : 0);
    const std::int32_t size = isPreset ? programSize : programSize * bankProgramCount;
    try {
        // Assigning to the thread's earlier copy reuses its memory: the size never changes.
        std::vector<unsigned char>& copy = handedOut[std::this_thread::get_id()];
        copy.assign(start, start + size);
        *data = copy.data();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return size;
}

std::int32_t HostedEffect::setStateData(void* data, std::int32_t byteSize, bool isPreset) {
    if (!data || byteSize <= 0 || !bankStorage) return 0;
    const std::int32_t capacity = isPreset ? programSize : programSize * bankProgramCount;
    const std::size_t count = static_cast<std::size_t>(std::min(byteSize, capacity));
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    // Bytes the chunk does not cover keep what the current program holds now. The data cannot
    // be the bank's own bytes: only copies are handed out.
    storeProgram(currentProgram);
    std::memcpy(isPreset ? programStart(currentProgram) : programStart(0), data, count);
    loadProgram(currentProgram);
    return 0;
}

void HostedEffect::setSampleRate(float rate) {
    previousSampleRate = sampleRate;
    sampleRate = rate;
    rebuildEngine();
    if (editor) editor->onSampleRateChanged(rate);
}

void HostedEffect::resume() { hostResumed.store(true); }

void HostedEffect::setBlockSize(std::int32_t frames) {
    if (frames == blockSize) return;
    previousBlockSize = blockSize;
    blockSize = frames;
}

bool HostedEffect::textToParameter(std::int32_t index, char* text) {
    if (!text) return true;
    if (!isParameterIndex(index)) return false;
    // Read from a copy: the host's buffer is not ours to rewrite.
    char number[kProgramNameSize];
    copyText(number, text, sizeof(number));
    std::replace(number, number + std::strlen(number), ',', '.');
    float value = 0.0f;
    if (std::sscanf(number, "%f", &value) != 1) value = 0.0f;
    if (!std::isfinite(value)) return false;
    value = std::clamp(value, parameters->getMinimum(index), parameters->getMaximum(index));
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    parameters->setValue(index, value);
    // The editor follows every change, wherever it comes from.
    if (editor) editor->setParameter(index, getParameter(index));
    return true;
}

std::int32_t HostedEffect::getCategory() { return kHostedCategory; }

bool HostedEffect::setChannelArrangement(void*, void* outputArrangement) {
    if (!outputArrangement) return false;
    std::int32_t channels;
    std::memcpy(&channels, static_cast<const unsigned char*>(outputArrangement) + 4,
                sizeof(channels));
    if (channels < 1 || channels > std::min(record.inputCount, record.outputCount)) return false;
    engineInputs = channels;
    engineOutputs = channels;
    reconfigurePending = true;
    return true;
}

bool HostedEffect::getVendorName(char* text) {
    if (!text) return false;
    std::strcpy(text, kVendorName);
    return true;
}

void HostedEffect::processBlock(float**, float**, std::int32_t, bool) {}

void HostedEffect::initBank() {
    bankStorage.reset();
    programRows = nullptr;
    loadScratch = nullptr;
    if (!parameters || bankProgramCount <= 0 || parameterTotal < 0) return;

    std::size_t valueBytes = 0;
    for (std::int32_t i = 0; i < parameterTotal; ++i)
        valueBytes += static_cast<std::size_t>(parameters->dataSizeOf(i));
    const std::size_t programs = static_cast<std::size_t>(bankProgramCount);
    const std::size_t slots = static_cast<std::size_t>(parameterTotal) + 1;
    const std::size_t tableBytes = programs * sizeof(unsigned char**);
    const std::size_t rowBytes = programs * slots * sizeof(unsigned char*);
    const std::size_t storedBytes = valueBytes + static_cast<std::size_t>(programNameSize);

    // One program more than the bank holds: where `loadProgram` decodes, so it allocates nothing.
    bankStorage.reset(
        new (std::nothrow) unsigned char[tableBytes + rowBytes + storedBytes * (programs + 1)]());
    if (!bankStorage) return;
    programSize = static_cast<std::int32_t>(storedBytes);

    unsigned char* base = bankStorage.get();
    unsigned char* rowBase = base + tableBytes;
    unsigned char* programBase = rowBase + rowBytes;
    for (std::size_t k = 0; k < programs; ++k) {
        unsigned char* row = rowBase + k * slots * sizeof(unsigned char*);
        new (base +
             k * sizeof(unsigned char**)) unsigned char**(reinterpret_cast<unsigned char**>(row));
        unsigned char* slot = programBase + k * storedBytes;
        for (std::size_t i = 0; i < slots; ++i) {
            new (row + i * sizeof(unsigned char*)) unsigned char*(slot);
            if (i + 1 < slots) slot += parameters->dataSizeOf(static_cast<std::int32_t>(i));
        }
    }
    programRows = std::launder(reinterpret_cast<unsigned char***>(base));
    loadScratch = programBase + programs * storedBytes;

    for (std::int32_t k = 0; k < bankProgramCount; ++k) {
        storeProgram(k);
        std::snprintf(reinterpret_cast<char*>(slotOf(k, nameSlot)),
                      static_cast<std::size_t>(programNameSize), "Init %d", k + 1);
    }
    importDefaultBank();
    if (editor) setProgram(0);
}

void HostedEffect::storeProgram(std::int32_t program) {
    if (!bankStorage || !parameters || program < 0 || program >= bankProgramCount) return;
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    for (std::int32_t i = 0; i < parameterTotal; ++i) {
        unsigned char* slot = slotOf(program, i);
        if (parameters->hasDataBlock(i)) {
            const std::int32_t size = parameters->dataSizeOf(i);
            // A byte count of 0 would ask for the whole block, whatever its size.
            if (size <= 0) continue;
            parameters->getData(i, slot, size, 0);
            swapWords(slot, size);
        } else {
            writeFloat(slot, i < automatableCount ? parameters->getNormalized(i)
                                                  : parameters->getValue(i));
            swap32(reinterpret_cast<std::uint32_t*>(slot));
        }
    }
}

void HostedEffect::loadProgram(std::int32_t program) {
    if (!bankStorage || !parameters || program < 0 || program >= bankProgramCount) return;
    std::lock_guard<std::recursive_mutex> lock(bankMutex);
    // Decoded from a copy, so the bank itself never leaves stored byte order.
    const unsigned char* start = programStart(program);
    unsigned char* decoded = loadScratch;
    std::memcpy(decoded, start, static_cast<std::size_t>(programSize));
    parameters->raiseApplyBusy();
    for (std::int32_t i = 0; i < parameterTotal; ++i) {
        unsigned char* slot = decoded + (slotOf(program, i) - start);
        if (parameters->hasDataBlock(i)) {
            const std::int32_t size = parameters->dataSizeOf(i);
            if (size <= 0) continue;
            swapWords(slot, size);
            parameters->setData(i, slot, size, 0);
            if (editor) editor->setParameterData(i, slot, size, 0);
        } else {
            swap32(reinterpret_cast<std::uint32_t*>(slot));
            float value = readFloat(slot);
            // The plug-in writes only finite values within the range; anything else came from
            // outside and must not reach the engine.
            value = std::isfinite(value) ? clampToRange(i, value) : defaultOf(i);
            if (i < automatableCount)
                parameters->setNormalized(i, value);
            else
                parameters->setValue(i, value);
            if (editor) editor->setParameter(i, value);
        }
    }
    parameters->lowerApplyBusy();
}

void HostedEffect::importDefaultBank() { importHexBank(kDefaultBankText); }

bool HostedEffect::importHexBank(const char* text) {
    if (!text || !bankStorage) return false;
    const std::size_t bytes = static_cast<std::size_t>(programSize * bankProgramCount);
    if (std::strlen(text) != 2 * bytes) return false;
    std::vector<unsigned char> bank(bytes);
    for (std::size_t k = 0; k < bytes; ++k) {
        const int high = hexDigit(text[2 * k]);
        const int low = hexDigit(text[2 * k + 1]);
        if (high < 0 || low < 0) return false;
        bank[k] = static_cast<unsigned char>(high * 16 + low);
    }
    setStateData(bank.data(), static_cast<std::int32_t>(bytes), false);
    return true;
}

// Channels up to the highest one the host reports connected; one channel is never asked about.
std::int32_t HostedEffect::countConnected(std::int32_t channels,
                                          bool (HostedEffect::*isConnected)(std::int32_t)) {
    if (channels <= 1) return channels < 1 ? 0 : 1;
    std::int32_t connected = 0;
    for (std::int32_t i = 0; i < channels; ++i)
        if ((this->*isConnected)(i)) connected = i + 1;
    return connected;
}

std::int32_t HostedEffect::connectedInputs() {
    return countConnected(record.inputCount, &HostedEffect::isInputConnected);
}

std::int32_t HostedEffect::connectedOutputs() {
    return countConnected(record.outputCount, &HostedEffect::isOutputConnected);
}

bool HostedEffect::configurationChanged() {
    const std::int32_t inputs = connectedInputs();
    const std::int32_t outputs = connectedOutputs();
    if (engineReady && inputs == engineInputs && outputs == engineOutputs && !reconfigurePending &&
        sampleRate == previousSampleRate && blockSize == previousBlockSize)
        return false;
    engineInputs = inputs;
    engineOutputs = outputs;
    previousSampleRate = sampleRate;
    previousBlockSize = blockSize;
    reconfigurePending = false;
    return true;
}

void HostedEffect::swap32(std::uint32_t* word) {
    if (!word) return;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(word);
    std::swap(bytes[0], bytes[3]);
    std::swap(bytes[1], bytes[2]);
}

void HostedEffect::swapWords(void* data, std::int32_t byteCount) {
    if (!data || byteCount <= 0 || byteCount % 4 != 0) return;
    unsigned char* bytes = static_cast<unsigned char*>(data);
    for (std::int32_t k = 0; k < byteCount; k += 4)
        swap32(reinterpret_cast<std::uint32_t*>(bytes + k));
}

float HostedEffect::defaultOf(std::int32_t index) const {
    const float normalized = parameters->getDefaultNormalized(index);
    return index < automatableCount ? normalized : parameters->fromNormalized(index, normalized);
}

unsigned char* HostedEffect::programStart(std::int32_t program) const {
    return programRows[program][0];
}

unsigned char* HostedEffect::slotOf(std::int32_t program, std::int32_t parameter) const {
    return programRows[program][parameter];
}
