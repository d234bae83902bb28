#pragma once

#include <stdexcept>
#include <string>

// Exit codes of plxhost, one per kind of failure, so scripts can tell them apart.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitInternal = 1,  // a fault of plxhost itself
    kExitUsage = 2,     // the command line itself is wrong
    kExitPlugin = 3,    // the plug-in does not load, has no `main`, or `main` refuses
    kExitAudio = 4,     // an audio file is missing, unreadable, corrupt or of a format not read
    kExitSetting = 5,   // unknown parameter, value out of range, bad program or bank file
    kExitOutput = 6,    // an output file or directory cannot be written
};

// A user error: one line for stderr and the exit code that goes with it.
class CommandError : public std::runtime_error {
public:
    CommandError(ExitCode code, const std::string& message)
        : std::runtime_error(message), exitCode(code) {}

    ExitCode code() const { return exitCode; }

private:
    ExitCode exitCode;
};
