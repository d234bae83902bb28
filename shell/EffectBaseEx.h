#pragma once

#include <cstdint>

#include "shell/EditorBase.h"
#include "shell/EffectBase.h"

// The effect base extended by opcodes 25 to 68 and the wrappers of every request the plug-in
// can send to its host. The operations are declared in slot order from slot 46 on.
//
// Dispatcher answers come in four forms: raw (the operation's answer), bool (1 for any non-zero
// answer), byte (the answer's low 8 bits) and inverted (opcode 57: 1 when the answer is 0).
// Wrappers answer 0 or false when there is no host callback, except where noted.
class EffectBaseEx : public EffectBase {
public:
    EffectBaseEx(HostCallback hostCallback, std::int32_t programCount, std::int32_t parameterCount);
    ~EffectBaseEx() override;

    PlxIntPtr dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value, void* ptr,
                       float opt) override;

    virtual EditorBase* getEditor();
    virtual PlxIntPtr hostRequest6(PlxIntPtr x);
    // The host answers with a pointer.
    virtual PlxIntPtr hostRequest7(PlxIntPtr x);
    virtual PlxIntPtr hostRequest10(PlxIntPtr x);
    virtual std::int32_t extensionOp25(void* ptr);
    virtual PlxIntPtr hostRequest11();
    virtual PlxIntPtr hostRequest12();
    virtual std::int32_t extensionOp26(std::int32_t index);
    // Sets parameter `index` from a typed text; false when nothing could be set.
    virtual bool textToParameter(std::int32_t index, char* text);
    virtual float extensionQuery55(std::int32_t a, std::int32_t b);
    virtual std::int32_t extensionOp28();
    virtual std::int32_t extensionOp29(PlxIntPtr value, std::int32_t index, void* ptr);
    virtual std::int32_t extensionOp30(std::int32_t index);
    virtual bool hostRequest13();
    virtual bool hostRequest14();
    virtual bool hostRequest15(std::int32_t x, PlxIntPtr y);
    // The member after the request: a host may set it from inside the request. Answered
    // without a callback too.
    virtual float refreshSampleRate();
    virtual std::int32_t refreshBlockSize();
    virtual PlxIntPtr hostRequest18();
    virtual PlxIntPtr hostRequest19();
    virtual PlxIntPtr hostRequest20();
    virtual PlxIntPtr hostRequest21();
    virtual void extensionOp31(std::int32_t index, bool on);
    virtual void extensionOp32(std::int32_t index, bool on);
    virtual std::int32_t extensionOp33(std::int32_t index, void* ptr);
    virtual std::int32_t extensionOp34(std::int32_t index, void* ptr);
    // 2 when flag bit 0x100 is set, else 0.
    virtual std::int32_t getCategory();
    virtual PlxIntPtr hostRequest22();
    virtual PlxIntPtr hostRequest23();
    virtual PlxIntPtr hostRequest24();
    virtual void setFlag400(bool on);
    virtual void setFlag800(bool on);
    virtual std::int32_t extensionOp36();
    virtual std::int32_t extensionOp37();
    // Only the low byte of z travels, as the request's index.
    virtual bool hostRequest26(void* x, PlxIntPtr y, std::int32_t z);
    virtual bool hostRequest27(void* x, PlxIntPtr y);
    virtual bool hostRequest25(void* x, PlxIntPtr y, std::int32_t z);
    virtual bool hostRequest28();
    virtual bool hostRequest29();
    virtual std::int32_t extensionOp38(void* ptr, PlxIntPtr value, bool on);
    virtual std::int32_t extensionOp39(void* ptr, PlxIntPtr value);
    virtual std::int32_t extensionOp40(void* ptr, PlxIntPtr value);
    virtual std::int32_t extensionQuery88();
    virtual std::int32_t extensionQuery89();
    virtual PlxIntPtr hostRequest30(float x);
    virtual bool hostRequest31(PlxIntPtr x, void* y);
    virtual bool hostRequest32(void* x);
    virtual bool hostRequest33(char* text);
    virtual PlxIntPtr hostRequest34();
    virtual PlxIntPtr hostRequest35(std::int32_t x, PlxIntPtr y, void* z, float w);
    virtual bool hostRequest37(void* x);
    // Sets bit 0x100, the one the default category answer reads.
    virtual void setFlag100(bool on);
    virtual void setFlag200(bool on);
    virtual PlxIntPtr hostRequest38();
    virtual PlxIntPtr hostRequest39(void* x);
    virtual bool hostRequest40(void* x);
    virtual PlxIntPtr hostRequest41();
    virtual bool hostRequest42();
    virtual std::int32_t extensionOp41(void* ptr);
    virtual bool setChannelArrangement(void* inputArrangement, void* outputArrangement);
    // Writes both members and nothing else: the next resume notices the change.
    virtual void setBlockSizeAndSampleRate(std::int32_t frames, float rate);
    virtual std::int32_t extensionOp44(bool on);
    virtual std::int32_t extensionOp45(void* ptr);
    virtual std::int32_t extensionOp46(void* ptr);
    virtual bool getVendorName(char* text);
    virtual std::int32_t extensionOp48(void* ptr);
    virtual std::int32_t extensionOp49();
    virtual std::int32_t extensionOp50(std::int32_t index, PlxIntPtr value, void* ptr, float opt);
    virtual std::int32_t extensionOp51(void* ptr);
    virtual std::int32_t extensionOp54();
    virtual std::int32_t extensionOp55(std::int32_t index, PlxIntPtr value);
    virtual std::int32_t extensionOp52();
    virtual std::int32_t extensionOp53();
    virtual std::int32_t extensionOp56(std::int32_t index, void* ptr);
    virtual std::int32_t extensionOp57();
    virtual std::int32_t getInterfaceVersion();
    virtual std::int32_t extensionOp62(std::int32_t index, void* ptr);
    virtual std::int32_t extensionOp63(std::int32_t index, void* ptr);
    virtual std::int32_t extensionOp64(std::int32_t index, void* ptr);
    virtual std::int32_t extensionOp65(std::int32_t index);
    virtual std::int32_t extensionOp66(std::int32_t index, void* ptr);
    virtual std::int32_t extensionOp67();
    virtual std::int32_t extensionOp68();
    // The edit bracket around a user's drag; x is what the caller names the edited control by.
    virtual bool beginEdit(std::int32_t x);
    virtual bool endEdit(std::int32_t x);
    // Not sent for a null x.
    virtual bool hostRequest45(void* x);

    // What the key opcodes hand to the editor: character from the index, the value's low
    // byte as the virtual key, the option truncated to an integer's low byte as modifiers.
    static KeyRecord makeKeyRecord(std::int32_t index, PlxIntPtr value, float opt);

protected:
    bool sendHostBool(std::int32_t opcode, std::int32_t index = 0, PlxIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0.0f);
};
