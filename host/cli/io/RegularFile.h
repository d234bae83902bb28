#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/cli/CommandError.h"

// Input files opened only when they are regular files: a FIFO would block the open and a
// device such as /dev/zero never ends. Errors are CommandError lines "`label`: reason" with
// the given exit code.
class RegularFile {
public:
    RegularFile(const std::string& path, const std::string& label, ExitCode code);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    std::int64_t size() const { return bytes; }
    // The open descriptor; whoever takes it over with `releaseDescriptor` closes it.
    int releaseDescriptor();
    // Reads exactly size() bytes and no more; the file's size was checked by the caller.
    std::vector<unsigned char> readAll();

private:
    std::string label;
    ExitCode code;
    int fd = -1;
    std::int64_t bytes = 0;
};
