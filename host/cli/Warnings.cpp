#include "host/cli/Warnings.h"

#include <cstdio>
#include <vector>

namespace warnings {

namespace {
std::vector<std::string>& held() {
    static std::vector<std::string> lines;
    return lines;
}
}  // namespace

void add(const std::string& line) { held().push_back(line); }

void print() {
    for (const std::string& line : held()) std::fprintf(stderr, "plxhost: %s\n", line.c_str());
    held().clear();
}

}  // namespace warnings
