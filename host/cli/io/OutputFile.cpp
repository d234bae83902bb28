#include "host/cli/io/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// Every signal whose default action ends the process and that a handler may catch: the
// temporary file goes before the process does, whether it is stopped from outside, runs out of
// room (SIGXFSZ), loses its reader (SIGPIPE) or a plug-in faults.
const int kEndingSignals[] = {
    SIGINT,  SIGTERM, SIGABRT, SIGSEGV, SIGFPE,    SIGILL,
#ifndef _WIN32
    SIGHUP,  SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1,   SIGUSR2, SIGBUS,
    SIGTRAP, SIGSYS,  SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF,
#endif
};

extern "C" void removePendingAndExit(int signalNumber) {
    for (int i = 0; i < kSlotCount; ++i) {
        if (slotUsed[i]) unlink(pendingPaths[i]);
    }
    // The default action follows once the handler returns, with the signal's own exit status.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void installHandlersOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
#ifdef _WIN32
    for (int signalNumber : kEndingSignals) signal(signalNumber, removePendingAndExit);
#else
    struct sigaction action = {};
    action.sa_handler = removePendingAndExit;
    sigfillset(&action.sa_mask);
    for (int signalNumber : kEndingSignals) {
        struct sigaction previous;
        // A signal the caller chose to ignore (nohup) stays ignored.
        if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signalNumber, &action, nullptr);
    }
#endif
}

// The longest file name the directory takes; the temporary name is cut to fit it.
std::size_t longestName(const std::string& directory) {
#ifdef _PC_NAME_MAX
    const long limit = pathconf(directory.c_str(), _PC_NAME_MAX);
    if (limit > 0) return static_cast<std::size_t>(limit);
#endif
    (void)directory;
    return 255;
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

// Holds the ending signals back while a temporary file exists but is not yet in the table the
// handler reads; otherwise a signal in that moment would leave the file behind.
class EndingSignalsHeld {
public:
#ifdef _WIN32
    EndingSignalsHeld() {}
#else
    EndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signalNumber : kEndingSignals) sigaddset(&held, signalNumber);
        sigprocmask(SIG_BLOCK, &held, &previous);
    }
    ~EndingSignalsHeld() { sigprocmask(SIG_SETMASK, &previous, nullptr); }

private:
    sigset_t previous;
#endif
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
};

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
    refuseDirectory(path);
    // "." + name + ".XXXXXX", with the name shortened where that would be too long: the
    // temporary file must be possible for every name the target can have.
    const std::string suffix = ".XXXXXX";
    const std::size_t limit = longestName(directory);
    const std::size_t room = limit > suffix.size() + 1 ? limit - suffix.size() - 1 : 0;
    std::string pattern = (slash == std::string::npos ? std::string() : directory) + "." +
                          name.substr(0, room) + suffix;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const EndingSignalsHeld held;
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

void OutputFile::refuseDirectory(const std::string& path) {
    struct stat existing;
    const bool endsInSeparator = !path.empty() && (path.back() == '/' || path.back() == '\\');
    if (endsInSeparator || (stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))) {
        throw CommandError(kExitOutput, path + ": is a directory");
    }
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
