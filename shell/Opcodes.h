#pragma once

#include <cstdint>

// Dispatcher opcodes the host sends (0..68) and requests the plug-in sends back.
enum Opcode : std::int32_t {
    opOpen = 0,
    opClose = 1,
    opSetProgram = 2,
    opGetProgram = 3,
    opSetProgramName = 4,
    opGetProgramName = 5,
    opGetParameterUnit = 6,
    opGetParameterText = 7,
    opGetParameterName = 8,
    opGetLevel = 9,
    opSetSampleRate = 10,
    opSetBlockSize = 11,
    opSetActive = 12,
    opEditorGetRect = 13,
    opEditorOpen = 14,
    opEditorClose = 15,
    opEditorIdle = 19,
    opIdentify = 22,
    opGetStateData = 23,
    opSetStateData = 24,
    opFirstExtended = 25,
    opTextToParameter = 27,
    opGetCategory = 35,
    opSetChannelArrangement = 42,
    opSetBlockSizeAndSampleRate = 43,
    opGetVendorName = 47,
    opExtension57 = 57,
    opGetInterfaceVersion = 58,
    opEditorKeyDown = 59,
    opEditorKeyUp = 60,
    opEditorSetRotaryMode = 61,
    opLastExtended = 68,
};

enum HostRequestCode : std::int32_t {
    hostAutomate = 0,
    hostRequestVersion = 1,
    hostRequestCurrentId = 2,
    hostRequestIdle = 3,
    hostRequestPinConnected = 4,
    hostRequestBeginEdit = 43,
    hostRequestEndEdit = 44,
};
