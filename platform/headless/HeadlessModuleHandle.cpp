#include <dlfcn.h>

#include "platform/ModuleHandle.h"

namespace platform {

namespace {
void* recordedHandle = nullptr;

// Runs when the shared object is loaded, like the load notification of a Windows module.
__attribute__((constructor)) void recordModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&recordModuleHandle), &info) != 0) {
        recordedHandle = info.dli_fbase;
    }
}
}  // namespace

void* moduleHandle() { return recordedHandle; }

}  // namespace platform
