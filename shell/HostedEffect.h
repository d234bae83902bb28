#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "shell/EffectBaseEx.h"

class ParameterSet;

// Ties the host interface to a ParameterSet: parameter routing, the program bank and its
// big-endian chunk, and the audio configuration the engine was built for.
//
// The bank is one allocation: a table of row addresses, the rows (one slot address per
// parameter and one for the name), then the programs back to back, so the bank's chunk is
// one contiguous run of bytes from program 0 on, always in stored (big-endian) order: a program
// is decoded from a copy when it is loaded. Every path that hands out or overwrites the bank
// stores the current program first.
//
// Any number of non-audio threads may use the programs, the chunks, the parameter texts and the
// editor at once: one mutex serialises them, and a chunk is handed out as a copy owned by the
// calling thread. The audio calls take no lock.
class HostedEffect : public EffectBaseEx {
public:
    static constexpr std::int32_t kProgramNameSize = 64;

    HostedEffect(HostCallback hostCallback, std::int32_t inputs, std::int32_t outputs,
                 std::int32_t pluginId, std::int32_t automatableCount, std::int32_t parameterTotal,
                 std::int32_t programCount);
    ~HostedEffect() override;

    // Parameters below `automatableCount` travel normalised, the others plain; a value beyond
    // the range is taken as the nearest end. Indices outside the table and values that are not
    // finite change nothing.
    void setParameter(std::int32_t index, float value) override;
    float getParameter(std::int32_t index) override;
    // A stepped parameter (step above 0.1) first repeats its old value to the host, so the
    // host sees a change even when the new value rounds to the same step.
    PlxIntPtr setParameterAndNotify(std::int32_t index, float value) override;
    // Once the host has resumed the plug-in the outputs are always written: without an engine
    // the input passes through unchanged.
    void process(float** inputs, float** outputs, std::int32_t frames) override;
    void processOverwriting(float** inputs, float** outputs, std::int32_t frames) override;
    // The editor's opcodes hold the bank's mutex, so a program loaded on another thread never
    // moves the editor's controls while it draws.
    PlxIntPtr dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value, void* ptr,
                       float opt) override;
    void setProgram(std::int32_t program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterUnit(std::int32_t index, char* text) override;
    void getParameterText(std::int32_t index, char* text) override;
    void getParameterName(std::int32_t index, char* text) override;
    // Hands out a copy of the current program, or of the whole bank, that stays valid and
    // unchanged until the calling thread's next call of this operation.
    std::int32_t getStateData(void** data, bool isPreset) override;
    // Copies at most the target's size; the data may be a chunk this plug-in handed out. A
    // value that is not finite loads as the parameter's default, one beyond the range as the
    // nearest end, so that no chunk can drive the engine out of its range.
    std::int32_t setStateData(void* data, std::int32_t byteSize, bool isPreset) override;
    void setSampleRate(float rate) override;
    void setBlockSize(std::int32_t frames) override;
    void resume() override;
    bool textToParameter(std::int32_t index, char* text) override;
    std::int32_t getCategory() override;
    // Takes the channel count from the second field of the output arrangement; refuses a
    // count the plug-in's channels cannot carry.
    bool setChannelArrangement(void* inputArrangement, void* outputArrangement) override;
    bool getVendorName(char* text) override;

    virtual void processBlock(float** inputs, float** outputs, std::int32_t frames,
                              bool accumulate);
    virtual std::int32_t getProgramNameAt(char* text, std::int32_t program);
    virtual void initBank();
    virtual void rebuildEngine() = 0;
    virtual void storeProgram(std::int32_t program);
    virtual void loadProgram(std::int32_t program);
    virtual void importDefaultBank();
    // Channels up to the highest one the host reports connected.
    virtual std::int32_t connectedInputs();
    virtual std::int32_t connectedOutputs();
    // True, with the new configuration remembered, when the engine must be rebuilt.
    virtual bool configurationChanged();
    virtual void swap32(std::uint32_t* word);
    // Does nothing unless `byteCount` is a positive multiple of 4.
    virtual void swapWords(void* data, std::int32_t byteCount);

    ParameterSet* getParameters() const { return parameters; }
    std::int32_t getProgramSize() const { return programSize; }

protected:
    // Loads a bank given as hexadecimal digit pairs; ignored unless it is exactly one bank
    // long and every pair is hexadecimal.
    bool importHexBank(const char* text);

    unsigned char* programStart(std::int32_t program) const;
    unsigned char* slotOf(std::int32_t program, std::int32_t parameter) const;
    bool isParameterIndex(std::int32_t index) const;
    // The value as the host speaks it (normalised or plain), moved into the parameter's range.
    float clampToRange(std::int32_t index, float value) const;
    // The default as the host speaks it.
    float defaultOf(std::int32_t index) const;
    void passThrough(float** inputs, float** outputs, std::int32_t frames, bool accumulate) const;
    std::int32_t countConnected(std::int32_t channels,
                                bool (HostedEffect::*isConnected)(std::int32_t));

    std::int32_t automatableCount;
    std::int32_t parameterTotal;
    std::int32_t bankProgramCount;
    std::int32_t nameSlot;
    std::int32_t programNameSize = kProgramNameSize;
    std::int32_t programSize = 0;
    std::unique_ptr<unsigned char[]> bankStorage;
    unsigned char*** programRows = nullptr;
    // One program's room after the bank, where `loadProgram` decodes.
    unsigned char* loadScratch = nullptr;
    ParameterSet* parameters = nullptr;
    std::int32_t previousBlockSize = 0;
    std::int32_t engineInputs;
    std::int32_t engineOutputs;
    float previousSampleRate = 0.0f;
    bool reconfigurePending = false;
    bool engineReady = false;
    // Set by the first resume; read by the audio calls.
    std::atomic<bool> hostResumed{false};
    // Serialises the bank, the program names, the editor and everything that tells the editor.
    // Recursive: the editor may call back into the effect, and the host into the plug-in from
    // inside a request.
    std::recursive_mutex bankMutex;
    // The chunk copies handed out, one per thread that ever asked (a host has a few).
    std::map<std::thread::id, std::vector<unsigned char>> handedOut;
};
