#pragma once

#include <string>

#include "platform/DynamicLibrary.h"
#include "shell/EffectRecord.h"

// A plug-in module loaded by path, with its entry `main` found.
class PluginLibrary {
public:
    // False with a one-line reason when the file does not load or exports no `main`.
    bool load(const std::string& path, std::string& error);
    PluginMainFn entry() const { return mainFunction; }
    const std::string& path() const { return libraryPath; }

private:
    platform::DynamicLibrary library;
    PluginMainFn mainFunction = nullptr;
    std::string libraryPath;
};
