#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

// An X server of the test's own (Xvfb on a free display number, named in DISPLAY for the
// programs the test starts) and a person's hands on it: the real pointer and keyboard moved
// through the XTest extension, and windows read back pixel by pixel. Coordinates are in pixels
// of the window named.
class XvfbSession {
public:
    XvfbSession();
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // False when Xvfb or its XTest extension is missing.
    bool isRunning() const { return connection != nullptr; }

    // The top-level window with this title, waiting up to timeoutMs for it to appear; 0 if none.
    unsigned long findWindow(const std::string& title, int timeoutMs = 5000) const;
    // The deepest shown window below root whose size is width x height, where a host embeds an
    // interface in frames of its size; 0 if none.
    unsigned long findWindowOfSize(int width, int height) const;
    unsigned long rootWindow() const;

    // A host's window, shown at the top left of the screen, for an interface to open in.
    unsigned long createWindow(int width, int height);
    void destroyWindow(unsigned long window);

    void moveTo(unsigned long window, int x, int y);
    void press(int button = 1);
    void release(int button = 1);
    void click(unsigned long window, int x, int y, int button = 1);
    // Presses at the first point, moves to the second in steps a few milliseconds apart, holds
    // the end for holdMs and releases.
    void drag(unsigned long window, int x1, int y1, int x2, int y2, int steps = 12,
              int holdMs = 100);
    // Positive notches turn away from the user (button 4), negative towards (button 5).
    void turnWheel(unsigned long window, int x, int y, int notches);
    // Presses or releases a key by its X name ("Control_L", "Shift_L").
    void holdKey(const char* name, bool down);
    // Types the characters; '\n' is Return, '\b' BackSpace, '\x1b' Escape.
    void type(const std::string& text);
    // Asks the window's owner to close it, as a window manager's close button does.
    void closeWindow(unsigned long window);

    // The window's pixels as 0x00BBGGRR, top row first; empty when it cannot be read.
    std::vector<std::uint32_t> readWindow(unsigned long window, int width, int height) const;
    // Lets the programs on the server catch up.
    void pause(int milliseconds = 15);
    // Saves what the window shows as a PNG; false when it cannot be read or written.
    bool writePng(unsigned long window, int width, int height, const std::string& path) const;
    // Describes the first pixel, row by row, where shown and expected differ, writing both
    // pictures as name.png and name_expected.png to be looked at; empty when they agree.
    static std::string firstDifference(const std::vector<std::uint32_t>& shown,
                                       const std::vector<std::uint32_t>& expected, int width,
                                       int height, const std::string& name);

private:
    pid_t server = -1;
    Display* connection = nullptr;
};

// A program started with its standard output read through a pipe, line by line as it comes.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    // Kills the program if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads until the output holds text (or the program ends, or timeoutMs pass); true when found.
    bool waitFor(const std::string& text, int timeoutMs = 5000);
    // Everything read so far.
    const std::string& output() const { return seen; }
    // Waits for the program to end; its exit code, or -1 when it did not end in time.
    int wait(int timeoutMs = 5000);
    // Asks the program to end (SIGTERM) and waits for it.
    int terminate(int timeoutMs = 5000);

private:
    bool readSome(int timeoutMs);

    pid_t child = -1;
    int pipe = -1;
    std::string seen;
};
