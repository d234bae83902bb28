#include "host/PluginLibrary.h"

bool PluginLibrary::load(const std::string& path, std::string& error) {
    mainFunction = nullptr;
    libraryPath = path;
    if (!library.load(path, error)) return false;
    mainFunction = reinterpret_cast<PluginMainFn>(library.symbol(kPluginMainName));
    if (!mainFunction) {
        error = path + " is not a plug-in: it exports no function named main";
        library.unload();
        return false;
    }
    return true;
}
