#pragma once

#include <atomic>
#include <cstdint>

#include "shell/EffectRecord.h"

class EditorBase;

// Root of the plug-in class chain. Owns the record the host holds and turns every host call
// into one virtual operation. The operations are declared in the interface's slot order;
// derived classes keep these slots and append their own.
class EffectBase {
public:
    EffectBase(HostCallback hostCallback, std::int32_t programCount, std::int32_t parameterCount);
    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    virtual ~EffectBase();
    virtual void setParameter(std::int32_t index, float value);
    virtual float getParameter(std::int32_t index);
    virtual PlxIntPtr setParameterAndNotify(std::int32_t index, float value);
    virtual void process(float** inputs, float** outputs, std::int32_t frames) = 0;
    virtual void processOverwriting(float** inputs, float** outputs, std::int32_t frames);
    virtual PlxIntPtr dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value, void* ptr,
                               float opt);
    virtual void open();
    virtual void close();
    virtual std::int32_t getProgram();
    virtual void setProgram(std::int32_t program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterUnit(std::int32_t index, char* text);
    virtual void getParameterText(std::int32_t index, char* text);
    virtual void getParameterName(std::int32_t index, char* text);
    virtual float getLevel();
    virtual std::int32_t getStateData(void** data, bool isPreset);
    virtual std::int32_t setStateData(void* data, std::int32_t byteSize, bool isPreset);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(std::int32_t frames);
    virtual void suspend();
    virtual void resume();
    virtual void setUniqueId(std::int32_t id);
    virtual void setInputCount(std::int32_t n);
    virtual void setOutputCount(std::int32_t n);
    virtual void setFlag04(bool on);
    virtual void setFlag02(bool on);
    virtual void setMonoFlag(bool on);
    virtual void setOverwritingFlag(bool on);
    virtual void setStateDataFlag(bool on);
    virtual void setReserved3(std::int32_t value);
    virtual void setReserved4(std::int32_t value);
    virtual void setLatency(std::int32_t samples);
    virtual float getSampleRate();
    virtual std::int32_t getBlockSize();
    virtual PlxIntPtr hostVersion();
    virtual PlxIntPtr hostCurrentId();
    virtual PlxIntPtr hostIdle();
    virtual bool isInputConnected(std::int32_t index);
    virtual bool isOutputConnected(std::int32_t index);
    virtual void dbToText(float linear, char* text);
    virtual void hzToText(float samples, char* text);
    virtual void msToText(float samples, char* text);
    virtual void floatToText(float value, char* text);
    virtual void longToText(std::int32_t value, char* text);

    EffectRecord* getRecord() { return &record; }
    EditorBase* getAttachedEditor() const { return editor; }
    HostCallback getHostCallback() const { return hostCallback; }

    // Called by an editor's constructor: the effect owns it from then on and announces it.
    void attachEditor(EditorBase* newEditor);

protected:
    void setFlag(std::int32_t bit, bool on);
    // Sends one request to the host; 0 when there is no callback.
    PlxIntPtr sendHostRequest(std::int32_t opcode, std::int32_t index = 0, PlxIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f);

    float sampleRate = 44100.0f;
    EditorBase* editor = nullptr;
    HostCallback hostCallback;
    std::int32_t programCount;
    std::int32_t parameterCount;
    // Read by any host thread while another changes programs.
    std::atomic<std::int32_t> currentProgram{0};
    std::int32_t blockSize = 1024;
    EffectRecord record;
};

// What the record's forwarders reach: the dispatch forwarder destroys the object on close.
namespace effect_forwarders {
PlxIntPtr dispatch(EffectRecord* effect, std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                   void* ptr, float opt);
void processAdding(EffectRecord* effect, float** inputs, float** outputs, std::int32_t frames);
void processOverwriting(EffectRecord* effect, float** inputs, float** outputs, std::int32_t frames);
void setParameter(EffectRecord* effect, std::int32_t index, float value);
float getParameter(EffectRecord* effect, std::int32_t index);
}  // namespace effect_forwarders
