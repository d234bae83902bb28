#pragma once

#include <string>

// A one-line progress bar on stderr, drawn only when stderr is a terminal; `finish` clears it.
class ProgressBar {
public:
    ProgressBar(const std::string& label, bool wanted);
    ~ProgressBar();

    void update(double fraction);
    void finish();
    bool isShown() const { return shown; }

private:
    std::string label;
    bool shown;
    int lastPercent = -1;
};
