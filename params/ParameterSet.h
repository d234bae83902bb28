#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "params/ParameterDescriptor.h"

// The one place where parameter values live, shared by the host side, the engine and the editor.
// Values are kept in plain units; conversion to and from the host's normalised 0..1 happens
// here only. Writers mark a parameter changed, the engine takes it (reads and clears), the host
// and the editor only get. The flags, the counters and the data blocks are atomic, so the audio
// thread and the user-interface thread share them without locks. Every operation ignores an index
// outside 0 .. count - 1 and then answers 0, 0.0 or false.
class ParameterSet {
public:
    explicit ParameterSet(std::int32_t count);
    ParameterSet(const ParameterSet&) = delete;
    ParameterSet& operator=(const ParameterSet&) = delete;

    virtual ~ParameterSet();
    // Stores any float, unclamped and unchecked.
    virtual void setValue(std::int32_t index, float plain);
    // Clears the flag before reading, so a value set meanwhile is flagged again, never lost.
    virtual float takeValue(std::int32_t index);
    virtual float getValue(std::int32_t index) const;
    virtual void setNormalized(std::int32_t index, float normalized);
    virtual float takeNormalized(std::int32_t index);
    virtual float getNormalized(std::int32_t index) const;
    // The data copies move `byteCount` bytes (0 means the whole block) at `byteOffset` in the
    // parameter's data block. A copy that does not fit the block, a parameter without a block
    // or a null pointer copies nothing and leaves the flag alone.
    virtual void setData(std::int32_t index, const void* source, std::int32_t byteCount,
                         std::int32_t byteOffset);
    virtual void takeData(std::int32_t index, void* destination, std::int32_t byteCount,
                          std::int32_t byteOffset);
    virtual void getData(std::int32_t index, void* destination, std::int32_t byteCount,
                         std::int32_t byteOffset) const;
    // Flags the parameter even when it was defined without `notify`.
    virtual void forceChanged(std::int32_t index);
    // `reserved` is ignored. The texts are cut to 63 characters; null reads as empty.
    virtual void define(std::int32_t index, float defaultValue, float minimum, float maximum,
                        float step, const char* unit, const char* name, std::int32_t reserved,
                        std::int32_t notify, std::int32_t dataSize);
    virtual void defineNotifyFirst(std::int32_t index, float defaultValue, float minimum,
                                   float maximum, float step, std::int32_t notify, const char* name,
                                   const char* unit, std::int32_t dataSize);
    // Only for parameters defined with `notify`.
    virtual void markChanged(std::int32_t index);
    virtual void clearChanged(std::int32_t index);

    bool isChanged(std::int32_t index) const;
    // Afterwards exactly the parameters defined with `notify` are flagged and counted.
    void markAllChanged();
    float toNormalized(std::int32_t index, float plain) const;
    // Stepped parameters round to the nearest step; a result within one step of zero is 0.0.
    float fromNormalized(std::int32_t index, float normalized) const;
    float getDefaultNormalized(std::int32_t index) const;
    bool hasDataBlock(std::int32_t index) const;
    // The bytes the parameter occupies in a program: 4 for a plain value.
    std::int32_t dataSizeOf(std::int32_t index) const;

    std::int32_t getCount() const { return count; }
    float getMinimum(std::int32_t index) const;
    float getMaximum(std::int32_t index) const;
    float getStep(std::int32_t index) const;
    // Empty for an index out of range.
    const char* getUnit(std::int32_t index) const;
    const char* getName(std::int32_t index) const;

    std::int32_t getChangedCount() const;
    // Set when fresh meter values are wanted; the plug-in clears it after publishing.
    bool getMeterRequest() const { return meterRequest.load(); }
    void setMeterRequest(bool on) { meterRequest.store(on); }
    // While above 0 the plug-in does not publish meters; the editor raises it while reading.
    std::int16_t getMeterBusy() const { return meterBusy.load(); }
    void raiseMeterBusy() { ++meterBusy; }
    void lowerMeterBusy() { lowerIfAboveZero(meterBusy); }
    // While above 0 the engine picks up no changes: a program is being loaded.
    std::int16_t getApplyBusy() const { return applyBusy.load(); }
    void raiseApplyBusy() { ++applyBusy; }
    void lowerApplyBusy() { lowerIfAboveZero(applyBusy); }

private:
    using DataWord = std::atomic<std::uint64_t>;

    bool isValid(std::int32_t index) const { return index >= 0 && index < count; }
    // The words of the block a copy may touch, or null when the copy must be refused.
    DataWord* blockFor(std::int32_t index, const void* data, std::int32_t& byteCount,
                       std::int32_t byteOffset) const;
    void setFlag(ParameterDescriptor& descriptor, std::int32_t on);
    static void lowerIfAboveZero(std::atomic<std::int16_t>& counter);

    std::unique_ptr<std::unique_ptr<DataWord[]>[]> dataBlocks;
    std::int32_t count;
    // Follows the flags exactly; may dip below 0 for an instant while two threads race.
    std::atomic<std::int32_t> changedCount{0};
    std::atomic<bool> meterRequest{true};
    std::atomic<std::int16_t> meterBusy{0};
    std::atomic<std::int16_t> applyBusy{0};
    std::unique_ptr<ParameterDescriptor[]> descriptors;
};

static_assert(sizeof(std::atomic<bool>) == sizeof(bool) && std::atomic<bool>::is_always_lock_free,
              "meterRequest must stay a lock-free byte");
static_assert(sizeof(std::atomic<std::int16_t>) == sizeof(std::int16_t) &&
                  std::atomic<std::int16_t>::is_always_lock_free,
              "the busy counters must stay lock-free 16-bit integers");
static_assert(sizeof(std::atomic<std::uint64_t>) == 8 &&
                  std::atomic<std::uint64_t>::is_always_lock_free,
              "a meter block of two floats must be written and read whole");
