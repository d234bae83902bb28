#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

// What `plxhost editor` printed. The values of one parameter's "set" lines, in order.
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

// A drag's edit bracket for tag around at least three values of the parameter, each above the
// one before: the values arrive while the drag goes on.
inline void expectRisingValuesInABracket(const std::string& out, const std::string& name, int tag) {
    const std::size_t begin = out.find("begin edit " + std::to_string(tag));
    const std::size_t firstSet = out.find("set        " + name);
    ASSERT_NE(begin, std::string::npos) << out;
    EXPECT_LT(begin, firstSet) << out;
    EXPECT_LT(firstSet, out.find("end edit   " + std::to_string(tag))) << out;
    const std::vector<float> dragged = valuesSet(out, name);
    ASSERT_GE(dragged.size(), 3u) << out;
    for (std::size_t i = 1; i < dragged.size(); ++i) EXPECT_GT(dragged[i], dragged[i - 1]);
}
