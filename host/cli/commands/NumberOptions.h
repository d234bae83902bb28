#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class Validator;
}

// Numbers typed on the command line. NaN compares false with every bound and an integer parsed
// into a narrower type wraps, so each option goes through one of these instead.
namespace number_options {

// A check for a floating-point option: a finite number from `low` to `high`.
CLI::Validator finiteRange(double low, double high);

// A whole number written in decimal with an optional sign; empty when the text is anything
// else or lies beyond 64 bits.
std::optional<std::int64_t> wholeNumber(const std::string& text);

// A pixel position "X,Y"; throws CommandError (command line) for anything else, and for
// coordinates beyond 32 bits.
struct Point {
    int x;
    int y;
};
Point point(const std::string& text, const std::string& option);

// Two finite numbers "A,B"; throws CommandError (command line) for anything else.
struct Pair {
    double first;
    double second;
};
Pair pair(const std::string& text, const std::string& option, const std::string& expected);

}  // namespace number_options
