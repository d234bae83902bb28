// Writes manifest.ttl, brillianteer.ttl and presets.ttl of the LV2 bundle into a folder.
// Usage: brillianteer_lv2_ttl FOLDER BINARY [UI_BINARY]

#include <cstdio>
#include <fstream>
#include <string>

#include "lv2/BundleWriter.h"
#include "lv2/EffectSession.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) std::fprintf(stderr, "brillianteer_lv2_ttl: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: brillianteer_lv2_ttl FOLDER BINARY [UI_BINARY]\n");
        return 2;
    }
    auto effect = EffectSession::create();
    if (!effect) {
        std::fprintf(stderr, "brillianteer_lv2_ttl: the effect cannot be created\n");
        return 3;
    }
    BundleWriter::Options options;
    options.binary = argv[2];
    if (argc == 4) options.uiBinary = argv[3];
    options.minorVersion = BRL_VERSION_MINOR;
    options.microVersion = BRL_VERSION_MICRO;
    const BundleWriter writer(*effect, options);
    const std::string folder = argv[1];
    const bool written = writeFile(folder + "/manifest.ttl", writer.manifest()) &&
                         writeFile(folder + "/brillianteer.ttl", writer.description()) &&
                         writeFile(folder + "/presets.ttl", writer.presets());
    return written ? 0 : 1;
}
