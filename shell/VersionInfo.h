#pragma once

#include <cstdint>

namespace platform {
struct VersionBlock;
}

// Reads the strings of the module's own version resource, as the about screen shows them.
class VersionInfo {
public:
    // Copies the module's version block and keeps its first translation; stays empty when
    // the module has no block or the block no translation.
    VersionInfo();
    VersionInfo(const VersionInfo&) = delete;
    VersionInfo& operator=(const VersionInfo&) = delete;
    ~VersionInfo();

    // Each copies the string into text (at most capacity bytes, zero-terminated); an empty
    // text when the object is empty or the block lacks the string.
    void getProductVersion(char* text, std::int32_t capacity = 64);
    void getLegalCopyright(char* text, std::int32_t capacity = 64);

private:
    void getString(const char* key, char* text, std::int32_t capacity);

    platform::VersionBlock* block = nullptr;
    std::uint32_t translation = 0;  // language in the upper half, code page in the lower
};
