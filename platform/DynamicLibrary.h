#pragma once

#include <string>

namespace platform {

// A loaded shared library (a .so on Linux, a DLL on Windows). Unloads when destroyed.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library at path; false with a one-line reason in error when it cannot.
    bool load(const std::string& path, std::string& error);
    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;
    void unload();
    bool isLoaded() const { return handle != nullptr; }

private:
    void* handle = nullptr;
};

}  // namespace platform
