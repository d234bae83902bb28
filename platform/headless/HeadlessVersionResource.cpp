#include <strings.h>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/VersionResource.h"
#include "platform/headless/EmbeddedResources.h"

// The version block is the table of strings compiled in from the resource script, answered
// under the same paths as the window system's version API.
namespace platform {

struct VersionBlock {
    const headless::EmbeddedResources* table;
    unsigned short translation[2];
};

VersionBlock* loadVersionBlock(void*) {
    for (const headless::EmbeddedResources* table = headless::embeddedResources(); table;
         table = table->next) {
        if (table->versionStringCount > 0) {
            return new VersionBlock{table, {table->language, table->codePage}};
        }
    }
    return nullptr;
}

void freeVersionBlock(VersionBlock* block) { delete block; }

bool queryVersionValue(VersionBlock* block, const char* path, const void*& data, unsigned& size) {
    data = nullptr;
    size = 0;
    if (!block || !path) return false;
    if (std::strcmp(path, "\\VarFileInfo\\Translation") == 0) {
        data = block->translation;
        size = sizeof block->translation;
        return true;
    }
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", block->translation[0],
                  block->translation[1]);
    const std::size_t prefixLength = std::strlen(prefix);
    if (strncasecmp(path, prefix, prefixLength) != 0) return false;
    const char* key = path + prefixLength;
    for (int i = 0; i < block->table->versionStringCount; ++i) {
        const headless::EmbeddedString& entry = block->table->versionStrings[i];
        if (strcasecmp(entry.key, key) == 0) {
            data = entry.value;
            size = static_cast<unsigned>(std::strlen(entry.value) + 1);
            return true;
        }
    }
    return false;
}

}  // namespace platform
