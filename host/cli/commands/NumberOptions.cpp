#include "host/cli/commands/NumberOptions.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "host/cli/CommandError.h"

namespace number_options {

namespace {

std::optional<double> finiteNumber(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string formatted(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

CLI::Validator finiteRange(double low, double high) {
    const std::string range = formatted(low) + " to " + formatted(high);
    return CLI::Validator(
        [low, high, range](std::string& text) -> std::string {
            const std::optional<double> value = finiteNumber(text);
            if (!value) return text + " is not a finite number";
            if (*value < low || *value > high) return text + " is outside " + range;
            return {};
        },
        "FINITE " + range);
}

std::optional<std::int64_t> wholeNumber(const std::string& text) {
    const std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
        return std::nullopt;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

Point point(const std::string& text, const std::string& option) {
    const std::size_t comma = text.find(',');
    const std::optional<std::int64_t> x = wholeNumber(text.substr(0, comma));
    const std::optional<std::int64_t> y =
        comma == std::string::npos ? std::nullopt : wholeNumber(text.substr(comma + 1));
    constexpr std::int64_t low = std::numeric_limits<int>::min();
    constexpr std::int64_t high = std::numeric_limits<int>::max();
    if (!x || !y || *x < low || *x > high || *y < low || *y > high)
        throw CommandError(kExitUsage, option + " " + text + ": expected X,Y in pixels");
    return {static_cast<int>(*x), static_cast<int>(*y)};
}

Pair pair(const std::string& text, const std::string& option, const std::string& expected) {
    const std::size_t comma = text.find(',');
    const std::optional<double> first = finiteNumber(text.substr(0, comma));
    const std::optional<double> second =
        comma == std::string::npos ? std::nullopt : finiteNumber(text.substr(comma + 1));
    if (!first || !second) throw CommandError(kExitUsage, option + " " + text + ": " + expected);
    return {*first, *second};
}

}  // namespace number_options
