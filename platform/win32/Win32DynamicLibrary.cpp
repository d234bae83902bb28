#include <windows.h>

#include "platform/DynamicLibrary.h"

namespace platform {

namespace {
// Under Wine a Unix path names a file on drive Z:.
std::string windowsPath(const std::string& path) {
    std::string result = path;
    if (!result.empty() && result[0] == '/') result = "Z:" + result;
    for (char& c : result) {
        if (c == '/') c = '\\';
    }
    return result;
}
}  // namespace

DynamicLibrary::~DynamicLibrary() { unload(); }

bool DynamicLibrary::load(const std::string& path, std::string& error) {
    unload();
    handle = LoadLibraryA(windowsPath(path).c_str());
    if (!handle) {
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name))
                  : nullptr;
}

void DynamicLibrary::unload() {
    if (handle) FreeLibrary(static_cast<HMODULE>(handle));
    handle = nullptr;
}

}  // namespace platform
