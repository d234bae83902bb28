#include "shell/EffectBaseEx.h"

#include <cmath>
#include <cstring>

#include "shell/Opcodes.h"

namespace {

constexpr std::int32_t kInterfaceVersion = 2200;
constexpr std::int32_t kCategoryWithFlag100 = 2;

PlxIntPtr asBool(std::int32_t answer) { return answer != 0 ? 1 : 0; }
PlxIntPtr lowByte(std::int32_t answer) { return answer & 0xFF; }

}  // namespace

EffectBaseEx::EffectBaseEx(HostCallback hostCallback, std::int32_t programCount,
                           std::int32_t parameterCount)
    : EffectBase(hostCallback, programCount, parameterCount) {}

EffectBaseEx::~EffectBaseEx() = default;

KeyRecord EffectBaseEx::makeKeyRecord(std::int32_t index, PlxIntPtr value, float opt) {
    KeyRecord key{};
    key.character = index;
    key.virtualKey = static_cast<std::uint8_t>(value & 0xFF);
    // Converting a float outside the integer range is undefined; such modifiers read as none.
    const bool fits = std::isfinite(opt) && opt > -2147483648.0f && opt < 2147483648.0f;
    key.modifiers = fits ? static_cast<std::uint8_t>(static_cast<std::int32_t>(opt) & 0xFF) : 0;
    return key;
}

PlxIntPtr EffectBaseEx::dispatch(std::int32_t opcode, std::int32_t index, PlxIntPtr value,
                                 void* ptr, float opt) {
    if (opcode < opFirstExtended || opcode > opLastExtended)
        return EffectBase::dispatch(opcode, index, value, ptr, opt);

    switch (opcode) {
        case opExtension25: return extensionOp25(ptr);
        case opExtension26: return asBool(extensionOp26(index));
        case opTextToParameter: return textToParameter(index, static_cast<char*>(ptr)) ? 1 : 0;
        case opExtension28: return extensionOp28();
        case opExtension29: return asBool(extensionOp29(value, index, ptr));
        case opExtension30: return asBool(extensionOp30(index));
        case opExtension31: extensionOp31(index, value != 0); return 1;
        case opExtension32: extensionOp32(index, value != 0); return 1;
        case opExtension33: return asBool(extensionOp33(index, ptr));
        case opExtension34: return asBool(extensionOp34(index, ptr));
        case opGetCategory: return getCategory();
        case opExtension36: return extensionOp36();
        case opExtension37: return extensionOp37();
        case opExtension38: return lowByte(extensionOp38(ptr, value, index != 0));
        case opExtension39: return lowByte(extensionOp39(ptr, value));
        case opExtension40: return lowByte(extensionOp40(ptr, value));
        case opExtension41: return asBool(extensionOp41(ptr));
        case opSetChannelArrangement:
            return setChannelArrangement(reinterpret_cast<void*>(value), ptr) ? 1 : 0;
        case opSetBlockSizeAndSampleRate:
            setBlockSizeAndSampleRate(static_cast<std::int32_t>(value), opt);
            return 1;
        case opExtension44: return asBool(extensionOp44(value != 0));
        case opExtension45: return asBool(extensionOp45(ptr));
        case opExtension46: return asBool(extensionOp46(ptr));
        case opGetVendorName: return getVendorName(static_cast<char*>(ptr)) ? 1 : 0;
        case opExtension48: return asBool(extensionOp48(ptr));
        case opExtension49: return extensionOp49();
        case opExtension50: return extensionOp50(index, value, ptr, opt);
        case opExtension51: return extensionOp51(ptr);
        case opExtension52: return extensionOp52();
        case opExtension53: return extensionOp53();
        case opExtension54: return extensionOp54();
        case opExtension55: return asBool(extensionOp55(index, value));
        case opExtension56: return asBool(extensionOp56(index, ptr));
        case opExtension57: return extensionOp57() == 0 ? 1 : 0;
        case opGetInterfaceVersion: return getInterfaceVersion();
        case opEditorKeyDown: {
            if (!editor) return 0;
            KeyRecord key = makeKeyRecord(index, value, opt);
            return editor->onKeyDown(key);
        }
        case opEditorKeyUp: {
            if (!editor) return 0;
            KeyRecord key = makeKeyRecord(index, value, opt);
            return editor->onKeyUp(key);
        }
        case opEditorSetRotaryMode:
            return editor ? editor->setRotaryMode(static_cast<std::int32_t>(value)) : 0;
        case opExtension62: return extensionOp62(index, ptr);
        case opExtension63: return extensionOp63(index, ptr);
        case opExtension64: return extensionOp64(index, ptr);
        case opExtension65: return asBool(extensionOp65(index));
        case opExtension66: return asBool(extensionOp66(index, ptr));
        case opExtension67: return asBool(extensionOp67());
        case opExtension68: return asBool(extensionOp68());
        default: return 0;
    }
}

EditorBase* EffectBaseEx::getEditor() { return editor; }

PlxIntPtr EffectBaseEx::hostRequest6(PlxIntPtr x) { return sendHostRequest(6, 0, x); }
PlxIntPtr EffectBaseEx::hostRequest7(PlxIntPtr x) { return sendHostRequest(7, 0, x); }
PlxIntPtr EffectBaseEx::hostRequest10(PlxIntPtr x) { return sendHostRequest(10, 0, x); }
std::int32_t EffectBaseEx::extensionOp25(void*) { return 0; }
PlxIntPtr EffectBaseEx::hostRequest11() { return sendHostRequest(11); }
PlxIntPtr EffectBaseEx::hostRequest12() { return sendHostRequest(12); }
std::int32_t EffectBaseEx::extensionOp26(std::int32_t) { return 1; }
bool EffectBaseEx::textToParameter(std::int32_t, char*) { return false; }
float EffectBaseEx::extensionQuery55(std::int32_t, std::int32_t) { return 0.0f; }
std::int32_t EffectBaseEx::extensionOp28() { return 1; }
std::int32_t EffectBaseEx::extensionOp29(PlxIntPtr, std::int32_t, void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp30(std::int32_t) { return 0; }
bool EffectBaseEx::hostRequest13() { return sendHostBool(13); }
bool EffectBaseEx::hostRequest14() { return sendHostBool(14); }
bool EffectBaseEx::hostRequest15(std::int32_t x, PlxIntPtr y) { return sendHostBool(15, x, y); }

float EffectBaseEx::refreshSampleRate() {
    sendHostRequest(hostRequestSampleRate);
    return sampleRate;
}

std::int32_t EffectBaseEx::refreshBlockSize() {
    sendHostRequest(hostRequestBlockSize);
    return blockSize;
}

PlxIntPtr EffectBaseEx::hostRequest18() { return sendHostRequest(18); }
PlxIntPtr EffectBaseEx::hostRequest19() { return sendHostRequest(19); }
PlxIntPtr EffectBaseEx::hostRequest20() { return sendHostRequest(20); }
PlxIntPtr EffectBaseEx::hostRequest21() { return sendHostRequest(21); }
void EffectBaseEx::extensionOp31(std::int32_t, bool) {}
void EffectBaseEx::extensionOp32(std::int32_t, bool) {}
std::int32_t EffectBaseEx::extensionOp33(std::int32_t, void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp34(std::int32_t, void*) { return 0; }

std::int32_t EffectBaseEx::getCategory() {
    return (record.flags & kFlag100) ? kCategoryWithFlag100 : 0;
}

PlxIntPtr EffectBaseEx::hostRequest22() { return sendHostRequest(22); }
PlxIntPtr EffectBaseEx::hostRequest23() { return sendHostRequest(23); }
PlxIntPtr EffectBaseEx::hostRequest24() { return sendHostRequest(24); }
void EffectBaseEx::setFlag400(bool on) { setFlag(kFlag400, on); }
void EffectBaseEx::setFlag800(bool on) { setFlag(kFlag800, on); }
std::int32_t EffectBaseEx::extensionOp36() { return 0; }
std::int32_t EffectBaseEx::extensionOp37() { return 0; }

bool EffectBaseEx::hostRequest26(void* x, PlxIntPtr y, std::int32_t z) {
    return sendHostBool(26, z & 0xFF, y, x);
}

bool EffectBaseEx::hostRequest27(void* x, PlxIntPtr y) { return sendHostBool(27, 0, y, x); }

bool EffectBaseEx::hostRequest25(void* x, PlxIntPtr y, std::int32_t z) {
    return sendHostBool(25, z, y, x);
}

bool EffectBaseEx::hostRequest28() { return sendHostBool(28); }
bool EffectBaseEx::hostRequest29() { return sendHostBool(29); }
std::int32_t EffectBaseEx::extensionOp38(void*, PlxIntPtr, bool) { return 0; }
std::int32_t EffectBaseEx::extensionOp39(void*, PlxIntPtr) { return 0; }
std::int32_t EffectBaseEx::extensionOp40(void*, PlxIntPtr) { return 0; }
std::int32_t EffectBaseEx::extensionQuery88() { return 0; }
std::int32_t EffectBaseEx::extensionQuery89() { return 0; }
PlxIntPtr EffectBaseEx::hostRequest30(float x) { return sendHostRequest(30, 0, 0, nullptr, x); }
bool EffectBaseEx::hostRequest31(PlxIntPtr x, void* y) { return sendHostBool(31, 0, x, y); }
bool EffectBaseEx::hostRequest32(void* x) { return sendHostBool(32, 0, 0, x); }
bool EffectBaseEx::hostRequest33(char* text) { return sendHostBool(33, 0, 0, text); }
PlxIntPtr EffectBaseEx::hostRequest34() { return sendHostRequest(34); }

PlxIntPtr EffectBaseEx::hostRequest35(std::int32_t x, PlxIntPtr y, void* z, float w) {
    return sendHostRequest(35, x, y, z, w);
}

bool EffectBaseEx::hostRequest37(void* x) { return sendHostBool(37, 0, 0, x); }
void EffectBaseEx::setFlag100(bool on) { setFlag(kFlag100, on); }
void EffectBaseEx::setFlag200(bool on) { setFlag(kFlag200, on); }
PlxIntPtr EffectBaseEx::hostRequest38() { return sendHostRequest(38); }
PlxIntPtr EffectBaseEx::hostRequest39(void* x) { return sendHostRequest(39, 0, 0, x); }
bool EffectBaseEx::hostRequest40(void* x) { return sendHostBool(40, 0, 0, x); }
PlxIntPtr EffectBaseEx::hostRequest41() { return sendHostRequest(41); }
bool EffectBaseEx::hostRequest42() { return sendHostBool(42); }
std::int32_t EffectBaseEx::extensionOp41(void*) { return 0; }
bool EffectBaseEx::setChannelArrangement(void*, void*) { return false; }

void EffectBaseEx::setBlockSizeAndSampleRate(std::int32_t frames, float rate) {
    blockSize = frames;
    sampleRate = rate;
}

std::int32_t EffectBaseEx::extensionOp44(bool) { return 0; }
std::int32_t EffectBaseEx::extensionOp45(void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp46(void*) { return 0; }
bool EffectBaseEx::getVendorName(char*) { return false; }
std::int32_t EffectBaseEx::extensionOp48(void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp49() { return 0; }
std::int32_t EffectBaseEx::extensionOp50(std::int32_t, PlxIntPtr, void*, float) { return 0; }
std::int32_t EffectBaseEx::extensionOp51(void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp54() { return 0; }
std::int32_t EffectBaseEx::extensionOp55(std::int32_t, PlxIntPtr) { return 0; }
std::int32_t EffectBaseEx::extensionOp52() { return 0; }
std::int32_t EffectBaseEx::extensionOp53() { return 0; }
std::int32_t EffectBaseEx::extensionOp56(std::int32_t, void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp57() { return 0; }
std::int32_t EffectBaseEx::getInterfaceVersion() { return kInterfaceVersion; }
std::int32_t EffectBaseEx::extensionOp62(std::int32_t, void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp63(std::int32_t, void*) { return -1; }
std::int32_t EffectBaseEx::extensionOp64(std::int32_t, void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp65(std::int32_t) { return 0; }
std::int32_t EffectBaseEx::extensionOp66(std::int32_t, void*) { return 0; }
std::int32_t EffectBaseEx::extensionOp67() { return 0; }
std::int32_t EffectBaseEx::extensionOp68() { return 0; }
bool EffectBaseEx::beginEdit(std::int32_t x) { return sendHostBool(hostRequestBeginEdit, x); }
bool EffectBaseEx::endEdit(std::int32_t x) { return sendHostBool(hostRequestEndEdit, x); }

bool EffectBaseEx::hostRequest45(void* x) { return x && sendHostBool(45, 0, 0, x); }

bool EffectBaseEx::sendHostBool(std::int32_t opcode, std::int32_t index, PlxIntPtr value, void* ptr,
                                float opt) {
    return sendHostRequest(opcode, index, value, ptr, opt) != 0;
}
