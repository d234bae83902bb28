#pragma once

#include <string>

// A file that appears under its name only once it is complete: everything is written to a
// temporary file beside it, which `commit` renames over the target. A file never committed is
// removed, also when the process is interrupted by SIGINT, SIGTERM or SIGHUP.
class OutputFile {
public:
    // Creates the temporary file; throws CommandError when the directory is not writable.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The open descriptor of the temporary file. Whoever takes it over with `releaseDescriptor`
    // must close it before `commit`.
    int descriptor() const { return fd; }
    int releaseDescriptor();
    const std::string& path() const { return targetPath; }
    // Where the bytes go until commit, for writers that open the file by name.
    const std::string& temporaryFile() const { return temporaryPath; }

    // Writes all bytes or throws CommandError.
    void write(const void* data, std::size_t size);
    void write(const std::string& text) { write(text.data(), text.size()); }
    // Closes the descriptor if still held and renames the file into place.
    void commit();

    // Throws CommandError (output) when the path names a directory, before any work is done.
    static void refuseDirectory(const std::string& path);
    // Writes a whole file in one go.
    static void writeAll(const std::string& path, const void* data, std::size_t size);

private:
    void discard();

    std::string targetPath;
    std::string temporaryPath;
    int fd = -1;
    int slot = -1;
    bool committed = false;
};
