#include "host/cli/io/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
#ifdef _WIN32
constexpr int kOpenFlags = O_RDONLY | O_BINARY;
#else
// O_NONBLOCK: opening a FIFO without a writer returns at once instead of waiting for one.
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif
}  // namespace

RegularFile::RegularFile(const std::string& path, const std::string& label, ExitCode code)
    : label(label), code(code) {
    fd = ::open(path.c_str(), kOpenFlags);
    if (fd < 0) throw CommandError(code, label + ": " + std::strerror(errno));
    struct stat file = {};
    const bool known = fstat(fd, &file) == 0;
    const int error = errno;
    if (!known || !S_ISREG(file.st_mode)) {
        ::close(fd);
        fd = -1;
        if (!known) throw CommandError(code, label + ": " + std::strerror(error));
        throw CommandError(
            code, label + (S_ISDIR(file.st_mode) ? ": is a directory" : ": not a regular file"));
    }
    bytes = file.st_size;
#ifndef _WIN32
    // Reads from now on wait for data as usual.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
}

RegularFile::~RegularFile() {
    if (fd >= 0) ::close(fd);
}

int RegularFile::releaseDescriptor() {
    const int released = fd;
    fd = -1;
    return released;
}

std::vector<unsigned char> RegularFile::readAll() {
    std::vector<unsigned char> data(static_cast<std::size_t>(bytes));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw CommandError(code, label + ": " + std::strerror(errno));
        if (got == 0) throw CommandError(code, label + ": shorter than its size while read");
        done += static_cast<std::size_t>(got);
    }
    return data;
}
