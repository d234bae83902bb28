#include <vector>

#include "platform/VersionResource.h"
#include "platform/win32/Win32Handles.h"

// The version block is read from the module's file with the version API.
namespace platform {

struct VersionBlock {
    std::vector<char> data;
};

VersionBlock* loadVersionBlock(void* module) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return nullptr;
    VersionBlock* block = new VersionBlock;
    block->data.resize(size);
    if (!GetFileVersionInfoA(path, 0, size, block->data.data())) {
        delete block;
        return nullptr;
    }
    return block;
}

void freeVersionBlock(VersionBlock* block) { delete block; }

bool queryVersionValue(VersionBlock* block, const char* path, const void*& data, unsigned& size) {
    data = nullptr;
    size = 0;
    if (!block || !path) return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block->data.data(), path, &value, &length) || !value) return false;
    data = value;
    size = length;
    return true;
}

}  // namespace platform
