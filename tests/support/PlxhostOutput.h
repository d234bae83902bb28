#pragma once

#include <sstream>
#include <string>
#include <vector>

// The values of one parameter's "set" lines in what `plxhost editor` printed, in order.
inline std::vector<float> valuesSet(const std::string& output, const std::string& name) {
    std::vector<float> values;
    std::istringstream lines(output);
    std::string line;
    const std::string prefix = "set        " + name + " ";
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            values.push_back(std::stof(line.substr(prefix.size())));
    }
    return values;
}
