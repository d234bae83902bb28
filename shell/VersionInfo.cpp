#include "shell/VersionInfo.h"

#include <cstdio>
#include <cstring>

#include "platform/ModuleHandle.h"
#include "platform/VersionResource.h"

VersionInfo::VersionInfo() {
    block = platform::loadVersionBlock(platform::moduleHandle());
    if (!block) return;
    const void* data = nullptr;
    unsigned size = 0;
    if (!platform::queryVersionValue(block, "\\VarFileInfo\\Translation", data, size) || size < 4) {
        platform::freeVersionBlock(block);
        block = nullptr;
        return;
    }
    std::uint16_t pair[2];
    std::memcpy(pair, data, sizeof pair);
    translation = static_cast<std::uint32_t>(pair[0]) << 16 | pair[1];
}

VersionInfo::~VersionInfo() { platform::freeVersionBlock(block); }

void VersionInfo::getProductVersion(char* text, std::int32_t capacity) {
    getString("ProductVersion", text, capacity);
}

void VersionInfo::getLegalCopyright(char* text, std::int32_t capacity) {
    getString("LegalCopyright", text, capacity);
}

void VersionInfo::getString(const char* key, char* text, std::int32_t capacity) {
    if (!text || capacity <= 0) return;
    text[0] = '\0';
    if (!block) return;
    char path[64];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%08lx\\%s",
                  static_cast<unsigned long>(translation), key);
    const void* data = nullptr;
    unsigned size = 0;
    if (!platform::queryVersionValue(block, path, data, size) || !data) return;
    const char* value = static_cast<const char*>(data);
    std::size_t length = strnlen(value, size);
    if (length >= static_cast<std::size_t>(capacity))
        length = static_cast<std::size_t>(capacity) - 1;
    std::memcpy(text, value, length);
    text[length] = '\0';
}
