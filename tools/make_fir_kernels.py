#!/usr/bin/env python3
"""Writes dsp/FirKernelTables.cpp: the "Freq" high-pass half kernels for the four sample rates.

Run from anywhere with Python 3 and numpy:  python3 tools/make_fir_kernels.py
(On Debian, /usr/bin/python3 has numpy from python3-numpy.) The output is committed; review its
diff before committing a new one.

The 44100 Hz set is written out as given. Each kernel of the other rates is a linear-phase
high-pass of the prescribed half length, fitted by constrained least squares to a
Butterworth-shaped magnitude. The fit holds the response at exactly 0 at DC and 1 at fs/2, and
the shape's corner and steepness are adjusted until the measured corners (the first frequency,
scanning up from DC, where the magnitude reaches 1/sqrt(2), and where it reaches 1/2) match the
table. Every kernel is checked after rounding its taps to float, as the filter loads them.
"""

import math
import pathlib
import shutil
import subprocess
import sys

import numpy as np

RATES = (44100, 48000, 88200, 96000)

HALF_LENGTHS = {
    44100: (20, 20, 16, 12, 10, 9, 9),
    48000: (20, 20, 18, 13, 11, 9, 8),
    88200: (45, 41, 37, 27, 24, 20, 17),
    96000: (49, 45, 39, 29, 26, 22, 19),
}

# (frequency where the magnitude is 1/sqrt(2), frequency where it is 1/2), Hz.
CORNERS = {
    44100: ((1140, 882), (2176, 1802), (3229, 2715), (4296, 3613), (5273, 4437), (6215, 5215),
            (7196, 6109)),
    48000: ((1260, 975), (2173, 1789), (3192, 2682), (4262, 3585), (5326, 4475), (6380, 5368),
            (7421, 6236)),
    88200: ((1224, 939), (2124, 1756), (3126, 2616), (4327, 3620), (5376, 4503), (6390, 5333),
            (7488, 6250)),
    96000: ((1223, 938), (2121, 1756), (3234, 2706), (4351, 3641), (5375, 4502), (6354, 5302),
            (7388, 6165)),
}

GIVEN_44100 = (
    (-0.0162104368, -0.00798344612, -0.0097925663, -0.0117561817, -0.0138353109, -0.0160217285,
     -0.0182714462, -0.0205693245, -0.0228610039, -0.0251382589, -0.027327776, -0.0294317007,
     -0.0313899517, -0.0331442356, -0.034712553, -0.0360352993, -0.0370845795, -0.0378502607,
     -0.038318634, 0.936252713),
    (0.004529953, 0.00362050533, 0.00453555584, 0.00510656834, 0.00509011745, 0.00423407555,
     0.00230324268, -0.000889062881, -0.00545585155, -0.0114090443, -0.0186446905,
     -0.0269448757, -0.0359767675, -0.0453081131, -0.0544466972, -0.0628541708, -0.0700345039,
     -0.0755275488, -0.0789735317, 0.913906455),
    (0.00143754482, 0.00293052197, 0.00514173508, 0.00748109818, 0.00915122032, 0.00906074047,
     0.00600206852, -0.00107872486, -0.0127795935, -0.0289719105, -0.0486603975,
     -0.0700172186, -0.0906103849, -0.107800007, -0.119216204, 0.87584281),
    (0.00249385834, 0.00588929653, 0.0100983381, 0.0125957727, 0.0098695755, -0.00162959099,
     -0.0239137411, -0.056022048, -0.0934565067, -0.12895298, -0.154476404, 0.834989548),
    (0.00294113159, 0.00829815865, 0.0142148733, 0.0144340992, 0.000754594803, -0.0324232578,
     -0.0830643177, -0.13959384, -0.184372902, 0.797606349),
    (0.00203418732, 0.00793874264, 0.0157310963, 0.0154345036, -0.00806486607, -0.0634902716,
     -0.140678287, -0.209882975, 0.76195538),
    (-0.00142455101, 0.000722646713, 0.0106147528, 0.0227313042, 0.0146121979, -0.0387785435,
     -0.135777473, -0.23418808, 0.722975612),
)

CORNER_TOLERANCE = 0.005
NYQUIST_TOLERANCE = 0.01
MIN_DC_REJECTION_DB = 58.0


def amplitude(half, freqs, fs):
    """Zero-phase amplitude of the symmetric kernel whose first half (centre last) is `half`."""
    half = np.asarray(half, dtype=np.float64)
    h = len(half)
    lags = np.arange(h - 1, -1, -1)
    weights = np.where(lags == 0, 1.0, 2.0) * half
    w = 2.0 * np.pi * np.atleast_1d(np.asarray(freqs, dtype=np.float64)) / fs
    return np.cos(np.outer(w, lags)) @ weights


def crossing(half, fs, level):
    """First frequency, scanning up from DC, where the magnitude reaches `level`."""
    freqs = np.arange(0.0, fs / 2.0, 1.0)
    reached = np.abs(amplitude(half, freqs, fs)) >= level
    i = int(np.argmax(reached))
    if not reached[i]:
        return math.inf
    lo, hi = freqs[max(i - 1, 0)], freqs[i]
    for _ in range(40):
        mid = 0.5 * (lo + hi)
        if abs(amplitude(half, mid, fs)[0]) >= level:
            hi = mid
        else:
            lo = mid
    return 0.5 * (lo + hi)


def corners(half, fs):
    return np.array([crossing(half, fs, 1.0 / math.sqrt(2.0)), crossing(half, fs, 0.5)])


def least_squares_half(h, fs, corner, steepness):
    """Half kernel closest to |1 / sqrt(1 + (corner / f)^(2 steepness))|, DC 0 and fs/2 1 held."""
    freqs = np.linspace(0.0, fs / 2.0, 160 * h)
    target = 1.0 / np.sqrt(1.0 + (corner / np.maximum(freqs, 1e-9)) ** (2.0 * steepness))
    lags = np.arange(h)
    basis = np.cos(np.outer(2.0 * np.pi * freqs / fs, lags))
    constraints = np.vstack([np.ones(h), (-1.0) ** lags])
    system = np.block([[2.0 * basis.T @ basis, constraints.T], [constraints, np.zeros((2, 2))]])
    rhs = np.concatenate([2.0 * basis.T @ target, [0.0, 1.0]])
    cosine_weights = np.linalg.solve(system, rhs)[:h]
    half = np.empty(h)
    half[h - 1] = cosine_weights[0]
    half[: h - 1] = (cosine_weights[1:] / 2.0)[::-1]
    return half


def fit(h, fs, wanted):
    wanted = np.asarray(wanted, dtype=np.float64)
    x = np.array([math.log(wanted[0]),
                  math.log(math.log(3.0) / (2.0 * math.log(wanted[0] / wanted[1])))])

    def residual(x):
        half = least_squares_half(h, fs, math.exp(x[0]), math.exp(x[1]))
        half = half.astype(np.float32).astype(np.float64)
        return np.log(corners(half, fs) / wanted), half

    for _ in range(40):
        r, half = residual(x)
        if np.max(np.abs(r)) < 1e-6:
            break
        jacobian = np.empty((2, 2))
        for j in range(2):
            step = np.zeros(2)
            step[j] = 1e-4
            jacobian[:, j] = (residual(x + step)[0] - r) / 1e-4
        x = x - np.clip(np.linalg.solve(jacobian, r), -0.3, 0.3)
    return half


def check(half, fs, wanted, nyquist_tolerance):
    got = corners(half, fs)
    errors = np.abs(got / np.asarray(wanted, dtype=np.float64) - 1.0)
    nyquist = amplitude(half, fs / 2.0, fs)[0]
    dc = abs(amplitude(half, 0.0, fs)[0])
    rejection = math.inf if dc == 0.0 else -20.0 * math.log10(dc)
    ok = (np.all(errors <= CORNER_TOLERANCE) and abs(nyquist - 1.0) <= nyquist_tolerance
          and rejection >= MIN_DC_REJECTION_DB)
    return ok, got, nyquist, rejection


def float_text(value):
    """Shortest decimal that loads as the same float."""
    return np.format_float_positional(np.float32(value), unique=True, trim="-")


def wrapped(values, indent="    ", width=100):
    lines, line = [], indent
    for i, text in enumerate(values):
        item = text + ("," if i + 1 < len(values) else "")
        if len(line) + len(item) + 1 > width and line.strip():
            lines.append(line.rstrip())
            line = indent
        line += item + " "
    lines.append(line.rstrip())
    return lines


def main():
    sets = {44100: [np.asarray(k, dtype=np.float32).astype(np.float64) for k in GIVEN_44100]}
    texts = {44100: [["%d" % len(k)] + [repr(v) for v in k] for k in GIVEN_44100]}
    for fs in RATES[1:]:
        sets[fs] = [fit(h, fs, wanted) for h, wanted in zip(HALF_LENGTHS[fs], CORNERS[fs])]
        texts[fs] = [["%d" % len(k)] + [float_text(v) for v in k] for k in sets[fs]]

    failed = False
    for fs in RATES:
        for index, half in enumerate(sets[fs]):
            assert len(half) == HALF_LENGTHS[fs][index]
            # The given set is measured, not judged: its index 1 is 1.2 % low at fs/2.
            ok, got, nyquist, rejection = check(half, fs, CORNERS[fs][index],
                                                0.02 if fs == 44100 else NYQUIST_TOLERANCE)
            print("%5d Hz index %d: corners %7.1f / %7.1f Hz, fs/2 %.6f, DC -%.0f dB%s" %
                  (fs, index, got[0], got[1], nyquist, rejection, "" if ok else "  FAILED"))
            failed = failed or not ok
    if failed:
        sys.exit("make_fir_kernels: a kernel misses its corner or gain targets; nothing written")

    lines = [
        "// Generated by tools/make_fir_kernels.py; edit the generator, not this file.",
        "// Each entry: the half length H, then h[0] to h[H-1] of a symmetric kernel of length",
        "// 2H - 1 (the last value is the centre tap). Values are the floats the filter loads.",
        "",
        '#include "dsp/FirKernelTables.h"',
        "",
        "namespace {",
        "",
    ]
    for fs in RATES:
        for index, half in enumerate(sets[fs]):
            lines.append("const double kernel%d_%d[] = {" % (fs, index))
            lines.extend(wrapped(texts[fs][index]))
            lines.append("};")
            lines.append("")
    lines.append("}  // namespace")
    lines.append("")
    lines.append("const FirKernelSet firKernelSets[firKernelSetCount] = {")
    for fs in RATES:
        names = ", ".join("kernel%d_%d" % (fs, i) for i in range(len(sets[fs])))
        lines.append("    {%d.0, {%s}}," % (fs, names))
    lines.append("};")
    out = pathlib.Path(__file__).resolve().parent.parent / "dsp" / "FirKernelTables.cpp"
    out.write_text("\n".join(lines) + "\n")
    if shutil.which("clang-format"):
        subprocess.run(["clang-format", "-i", str(out)], check=True)
    print("wrote", out)


if __name__ == "__main__":
    main()
