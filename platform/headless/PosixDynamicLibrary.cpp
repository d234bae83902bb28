#include <dlfcn.h>

#include "platform/DynamicLibrary.h"

namespace platform {

DynamicLibrary::~DynamicLibrary() { unload(); }

bool DynamicLibrary::load(const std::string& path, std::string& error) {
    unload();
    // A bare name would be searched for on the library path: load exactly the file named.
    const std::string exact = path.find('/') == std::string::npos ? "./" + path : path;
    handle = dlopen(exact.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error = reason ? reason : ("cannot load " + path);
        return false;
    }
    return true;
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle ? dlsym(handle, name) : nullptr;
}

void DynamicLibrary::unload() {
    if (handle) dlclose(handle);
    handle = nullptr;
}

}  // namespace platform
