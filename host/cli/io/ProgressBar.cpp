#include "host/cli/io/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar(const std::string& label, bool wanted)
    : label(label), shown(wanted && isatty(STDERR_FILENO)) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(double fraction) {
    if (!shown) return;
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == lastPercent) return;
    lastPercent = percent;
    const int filled = percent * kBarWidth / 100;
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label.c_str(), filled,
                 "########################################", kBarWidth - filled, "", percent);
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!shown || lastPercent < 0) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    lastPercent = -1;
}
