#include <windows.h>

#include "platform/ModuleHandle.h"

namespace {
HINSTANCE recordedHandle = nullptr;
}

// The module's load/unload notification: records the handle, succeeds for every reason.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    recordedHandle = instance;
    return TRUE;
}

namespace platform {
// In a program (no load notification) the handle is the program's own.
void* moduleHandle() { return recordedHandle ? recordedHandle : GetModuleHandleA(nullptr); }
}  // namespace platform
