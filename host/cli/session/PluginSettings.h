#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
}
class PluginSession;
struct ParameterInfo;

// What the command line asks to be set before a plug-in runs: a bank file, a program, and
// parameter values in the plug-in's plain units (`--set Freq=5000`). Applied in that order.
class PluginSettings {
public:
    // Adds --bank, --program and --set to a subcommand; `withBank` false leaves out --bank.
    void addOptions(CLI::App& command, bool withBank = true);

    // Applies everything to the session; throws CommandError for an unknown name, a value out
    // of range, a program that does not exist or a bank file that does not fit. A value the
    // plug-in cannot show exactly is set to the nearest one, with a note on stderr.
    void applyTo(PluginSession& session) const;
    // Sets one parameter by name (used for settings the tool forces, such as harmonics off).
    static double applyOne(PluginSession& session, const std::string& name,
                           const std::string& value);

    // "NAME=VALUE" as the name (trimmed) and the value text; throws CommandError (setting).
    static std::pair<std::string, std::string> splitAssignment(const std::string& assignment);
    // A plain value: a number, optionally followed by the parameter's unit, or on/off for a
    // parameter with a range; throws CommandError (setting) for anything else.
    static double parseValue(const ParameterInfo& parameter, const std::string& text);

    // The bytes of a bank file of exactly `size` bytes, read only when it is a regular file of
    // that size; throws CommandError (bank) otherwise, "bank PATH is N bytes; `sizeRule`".
    static std::vector<unsigned char> readBank(const std::string& path, std::size_t size,
                                               const std::string& sizeRule);

    std::vector<std::string> assignments;
    std::optional<std::int64_t> program;
    std::string bankPath;
};
