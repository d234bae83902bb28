#include "host/cli/io/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/cli/CommandError.h"

namespace {

// Temporary paths still to be removed, readable from a signal handler: fixed storage only.
constexpr int kSlotCount = 8;
constexpr std::size_t kPathCapacity = 4096;
char pendingPaths[kSlotCount][kPathCapacity];
volatile std::sig_atomic_t slotUsed[kSlotCount];

extern "C" void removePendingAndExit(int signalNumber) {
    for (int i = 0; i < kSlotCount; ++i) {
        if (slotUsed[i]) unlink(pendingPaths[i]);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void installHandlersOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signalNumber : {SIGINT, SIGTERM}) signal(signalNumber, removePendingAndExit);
#ifdef SIGHUP
    signal(SIGHUP, removePendingAndExit);
#endif
}

int claimSlot(const std::string& path) {
    if (path.size() >= kPathCapacity) return -1;
    for (int i = 0; i < kSlotCount; ++i) {
        if (!slotUsed[i]) {
            std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
            slotUsed[i] = 1;
            return i;
        }
    }
    return -1;
}

std::string systemReason() { return std::strerror(errno); }

}  // namespace

OutputFile::OutputFile(const std::string& path) : targetPath(path) {
    installHandlersOnce();
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.find_last_of('/');
#endif
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) throw CommandError(kExitOutput, path + ": names a directory, not a file");
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        throw CommandError(kExitOutput, path + ": is a directory");
    }
    std::string pattern =
        (slash == std::string::npos ? std::string() : directory) + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd = mkstemp(buffer.data());
    if (fd < 0) throw CommandError(kExitOutput, "cannot write " + path + ": " + systemReason());
    temporaryPath = buffer.data();
#ifndef _WIN32
    // mkstemp creates the file readable by its owner only; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
#endif
    slot = claimSlot(temporaryPath);
}

OutputFile::~OutputFile() {
    if (!committed) discard();
}

int OutputFile::releaseDescriptor() {
    const int released = fd;
    fd = -1;
    return released;
}

void OutputFile::write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw CommandError(kExitOutput, "cannot write " + targetPath + ": " + systemReason());
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void OutputFile::commit() {
    if (fd >= 0) {
        const int closing = releaseDescriptor();
        if (close(closing) != 0) {
            throw CommandError(kExitOutput, "cannot write " + targetPath + ": " + systemReason());
        }
    }
#ifdef _WIN32
    // Renaming onto an existing file fails there: the old file goes first.
    std::remove(targetPath.c_str());
#endif
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        throw CommandError(kExitOutput, "cannot write " + targetPath + ": " + systemReason());
    }
    committed = true;
    if (slot >= 0) slotUsed[slot] = 0;
}

void OutputFile::writeAll(const std::string& path, const void* data, std::size_t size) {
    OutputFile file(path);
    file.write(data, size);
    file.commit();
}

void OutputFile::discard() {
    if (fd >= 0) close(releaseDescriptor());
    if (!temporaryPath.empty()) unlink(temporaryPath.c_str());
    if (slot >= 0) slotUsed[slot] = 0;
}
