#include "params/ParameterSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::int32_t wordBytes = 8;

std::uint64_t packWord(const unsigned char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, wordBytes);
    return word;
}

void unpackWord(std::uint64_t word, unsigned char* bytes) { std::memcpy(bytes, &word, wordBytes); }

void copyText(char* target, const char* source) {
    const std::size_t limit = ParameterDescriptor::textSize - 1;
    std::size_t length = 0;
    if (source) {
        while (length < limit && source[length] != '\0') ++length;
        std::memcpy(target, source, length);
    }
    target[length] = '\0';
}

}  // namespace

ParameterSet::ParameterSet(std::int32_t count)
    : dataBlocks(new std::unique_ptr<DataWord[]>[count > 0 ? count : 0]),
      count(count > 0 ? count : 0),
      descriptors(new ParameterDescriptor[count > 0 ? count : 0]) {}

ParameterSet::~ParameterSet() = default;

void ParameterSet::setValue(std::int32_t index, float plain) {
    if (!isValid(index)) return;
    descriptors[index].value.store(plain);
    markChanged(index);
}

float ParameterSet::takeValue(std::int32_t index) {
    if (!isValid(index)) return 0.0f;
    clearChanged(index);
    return getValue(index);
}

float ParameterSet::getValue(std::int32_t index) const {
    return isValid(index) ? descriptors[index].value.load() : 0.0f;
}

void ParameterSet::setNormalized(std::int32_t index, float normalized) {
    setValue(index, fromNormalized(index, normalized));
}

float ParameterSet::takeNormalized(std::int32_t index) {
    return toNormalized(index, takeValue(index));
}

float ParameterSet::getNormalized(std::int32_t index) const {
    return toNormalized(index, getValue(index));
}

void ParameterSet::setData(std::int32_t index, const void* source, std::int32_t byteCount,
                           std::int32_t byteOffset) {
    DataWord* words = blockFor(index, source, byteCount, byteOffset);
    if (!words) return;
    // Whole words are stored in one go; a word written in part merges its other bytes.
    const auto* from = static_cast<const unsigned char*>(source);
    while (byteCount > 0) {
        const std::int32_t first = byteOffset % wordBytes;
        const std::int32_t n = std::min(wordBytes - first, byteCount);
        DataWord& word = words[byteOffset / wordBytes];
        unsigned char bytes[wordBytes];
        if (n == wordBytes) {
            word.store(packWord(from));
        } else {
            std::uint64_t expected = word.load();
            std::uint64_t desired;
            do {
                unpackWord(expected, bytes);
                std::memcpy(bytes + first, from, n);
                desired = packWord(bytes);
            } while (!word.compare_exchange_weak(expected, desired));
        }
        from += n;
        byteOffset += n;
        byteCount -= n;
    }
    markChanged(index);
}

void ParameterSet::takeData(std::int32_t index, void* destination, std::int32_t byteCount,
                            std::int32_t byteOffset) {
    if (!blockFor(index, destination, byteCount, byteOffset)) return;
    clearChanged(index);
    getData(index, destination, byteCount, byteOffset);
}

void ParameterSet::getData(std::int32_t index, void* destination, std::int32_t byteCount,
                           std::int32_t byteOffset) const {
    const DataWord* words = blockFor(index, destination, byteCount, byteOffset);
    if (!words) return;
    auto* to = static_cast<unsigned char*>(destination);
    while (byteCount > 0) {
        const std::int32_t first = byteOffset % wordBytes;
        const std::int32_t n = std::min(wordBytes - first, byteCount);
        unsigned char bytes[wordBytes];
        unpackWord(words[byteOffset / wordBytes].load(), bytes);
        std::memcpy(to, bytes + first, n);
        to += n;
        byteOffset += n;
        byteCount -= n;
    }
}

void ParameterSet::forceChanged(std::int32_t index) {
    if (isValid(index)) setFlag(descriptors[index], 1);
}

void ParameterSet::define(std::int32_t index, float defaultValue, float minimum, float maximum,
                          float step, const char* unit, const char* name, std::int32_t,
                          std::int32_t notify, std::int32_t dataSize) {
    if (!isValid(index)) return;
    ParameterDescriptor& d = descriptors[index];
    d.value.store(defaultValue);
    d.defaultValue = defaultValue;
    d.minimum = minimum;
    d.maximum = maximum;
    d.step = step;
    d.dataSize = dataSize;

    dataBlocks[index].reset();
    if (dataSize != 4 && dataSize > 0) {
        const std::int32_t wordCount = (dataSize + wordBytes - 1) / wordBytes;
        dataBlocks[index].reset(new DataWord[wordCount]);
        for (std::int32_t i = 0; i < wordCount; ++i) dataBlocks[index][i].store(0);
    }

    d.scale = 1.0f / (maximum - minimum);
    d.stepCount = step > 0.0f ? (maximum - minimum) / step : 0.0f;

    d.notify = notify != 0 ? 1 : 0;
    setFlag(d, d.notify);

    copyText(d.unit, unit);
    copyText(d.name, name);
}

void ParameterSet::defineNotifyFirst(std::int32_t index, float defaultValue, float minimum,
                                     float maximum, float step, std::int32_t notify,
                                     const char* name, const char* unit, std::int32_t dataSize) {
    define(index, defaultValue, minimum, maximum, step, unit, name, 0, notify, dataSize);
}

void ParameterSet::markChanged(std::int32_t index) {
    if (isValid(index) && descriptors[index].notify) setFlag(descriptors[index], 1);
}

void ParameterSet::clearChanged(std::int32_t index) {
    if (isValid(index) && descriptors[index].notify) setFlag(descriptors[index], 0);
}

bool ParameterSet::isChanged(std::int32_t index) const {
    return isValid(index) && descriptors[index].changed.load() != 0;
}

void ParameterSet::markAllChanged() {
    for (std::int32_t i = 0; i < count; ++i) setFlag(descriptors[i], descriptors[i].notify);
}

float ParameterSet::toNormalized(std::int32_t index, float plain) const {
    if (!isValid(index)) return 0.0f;
    return (plain - descriptors[index].minimum) * descriptors[index].scale;
}

float ParameterSet::fromNormalized(std::int32_t index, float normalized) const {
    if (!isValid(index)) return 0.0f;
    const ParameterDescriptor& d = descriptors[index];
    if (d.stepCount > 0.0f) {
        // Single precision throughout: 1.0 on a -20..6 range in 0.1 steps lands on 6.0 exactly.
        const float v = std::floor(normalized * d.stepCount + 0.5f) * d.step + d.minimum;
        return std::fabs(v) < d.step ? 0.0f : v;
    }
    return d.minimum + (d.maximum - d.minimum) * normalized;
}

float ParameterSet::getDefaultNormalized(std::int32_t index) const {
    return isValid(index) ? toNormalized(index, descriptors[index].defaultValue) : 0.0f;
}

bool ParameterSet::hasDataBlock(std::int32_t index) const {
    return isValid(index) && descriptors[index].dataSize != 4;
}

std::int32_t ParameterSet::dataSizeOf(std::int32_t index) const {
    if (!isValid(index)) return 0;
    return descriptors[index].dataSize > 0 ? descriptors[index].dataSize : 0;
}

float ParameterSet::getMinimum(std::int32_t index) const {
    return isValid(index) ? descriptors[index].minimum : 0.0f;
}

float ParameterSet::getMaximum(std::int32_t index) const {
    return isValid(index) ? descriptors[index].maximum : 0.0f;
}

float ParameterSet::getStep(std::int32_t index) const {
    return isValid(index) ? descriptors[index].step : 0.0f;
}

const char* ParameterSet::getUnit(std::int32_t index) const {
    return isValid(index) ? descriptors[index].unit : "";
}

const char* ParameterSet::getName(std::int32_t index) const {
    return isValid(index) ? descriptors[index].name : "";
}

std::int32_t ParameterSet::getChangedCount() const {
    const std::int32_t n = changedCount.load();
    return n > 0 ? n : 0;
}

ParameterSet::DataWord* ParameterSet::blockFor(std::int32_t index, const void* data,
                                               std::int32_t& byteCount,
                                               std::int32_t byteOffset) const {
    if (!isValid(index) || !data || !dataBlocks[index]) return nullptr;
    const std::int32_t size = descriptors[index].dataSize;
    if (byteCount == 0) byteCount = size;
    if (byteCount < 0 || byteOffset < 0 ||
        static_cast<std::int64_t>(byteOffset) + byteCount > size) {
        return nullptr;
    }
    return dataBlocks[index].get();
}

void ParameterSet::setFlag(ParameterDescriptor& descriptor, std::int32_t on) {
    // The count moves only with a real flip of the flag, so it always agrees with the flags.
    if (descriptor.changed.exchange(on) != on) changedCount += on ? 1 : -1;
}

void ParameterSet::lowerIfAboveZero(std::atomic<std::int16_t>& counter) {
    std::int16_t current = counter.load();
    while (current > 0 && !counter.compare_exchange_weak(current, current - 1)) {
    }
}
