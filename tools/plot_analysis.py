#!/usr/bin/env python3
"""Draws the plots of `plxhost analyze`: response.png and spectrum.png from the CSV files and
analysis.json in the given directory."""

import csv
import json
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.ticker import FuncFormatter  # noqa: E402


def read_columns(path):
    with open(path, newline="") as handle:
        rows = list(csv.DictReader(handle))
    return {key: [float(row[key]) for row in rows] for key in rows[0]} if rows else {}


def hertz(value, _position):
    if value >= 1000:
        return f"{value / 1000:g}k"
    return f"{value:g}"


def frequency_axis(axes, nyquist):
    axes.set_xscale("log")
    axes.set_xlim(20, nyquist)
    axes.xaxis.set_major_formatter(FuncFormatter(hertz))
    axes.set_xlabel("Frequency (Hz)")
    axes.grid(True, which="major", color="#c8c8c8", linewidth=0.8)
    axes.grid(True, which="minor", color="#e8e8e8", linewidth=0.5)


def save(figure, path):
    # Written beside the target and renamed, so a half-drawn picture never appears.
    temporary = path + ".tmp.png"
    figure.savefig(temporary, dpi=120)
    plt.close(figure)
    os.replace(temporary, path)


def settings_text(meta):
    settings = ", ".join(meta.get("settings", [])) or "program defaults"
    return f"{os.path.basename(meta['plugin'])} at {meta['sampleRate']:g} Hz; {settings}"


def plot_response(directory, meta):
    data = read_columns(os.path.join(directory, "response.csv"))
    nyquist = meta["sampleRate"] / 2
    figure, axes = plt.subplots(figsize=(9, 5))
    axes.semilogx(data["frequency_hz"], data["magnitude_db"], color="#1f5fa8", linewidth=2)
    frequency_axis(axes, nyquist)
    low = min(data["magnitude_db"])
    high = max(data["magnitude_db"])
    axes.set_ylim(min(-6.0, low - 3.0), max(6.0, high + 3.0))
    axes.set_ylabel("Magnitude (dB)")
    off = ", ".join(meta.get("harmonicsOff", []))
    axes.set_title(
        "Magnitude response" + (f" ({off} at 0)" if off else "")
        + f", latency {meta['latency']} samples removed\n" + settings_text(meta),
        fontsize=11,
    )
    figure.tight_layout()
    save(figure, os.path.join(directory, "response.png"))


def plot_spectrum(directory, meta):
    data = read_columns(os.path.join(directory, "spectrum.csv"))
    harmonics = read_columns(os.path.join(directory, "harmonics.csv"))
    nyquist = meta["sampleRate"] / 2
    figure, axes = plt.subplots(figsize=(9, 5))
    axes.semilogx(data["frequency_hz"], data["input_dbfs"], color="#9a9a9a", linewidth=1,
                  label="input sine")
    axes.semilogx(data["frequency_hz"], data["output_dbfs"], color="#b8401a", linewidth=1,
                  label="output")
    orders = [int(order) for order in harmonics.get("order", [])]
    for order, frequency, level in zip(orders, harmonics.get("frequency_hz", []),
                                       harmonics.get("level_dbfs", [])):
        if order > 1 and level > -140:
            axes.annotate(f"H{order}", (frequency, level), textcoords="offset points",
                          xytext=(0, 6), ha="center", fontsize=8, color="#b8401a")
    axes.axvspan(10000, nyquist, color="#f3e3b0", alpha=0.5,
                 label=f"above 10 kHz: {meta['energyAbove10kHzDbfs']:.1f} dBFS")
    frequency_axis(axes, nyquist)
    axes.set_ylim(-160, 10)
    axes.set_ylabel("Level (dBFS)")
    axes.set_title(
        f"Harmonic spectrum of a {meta['sineHz']:.0f} Hz sine at {meta['sineDbfs']:g} dBFS\n"
        + settings_text(meta),
        fontsize=11,
    )
    axes.legend(loc="upper left", fontsize=9)
    figure.tight_layout()
    save(figure, os.path.join(directory, "spectrum.png"))


def main():
    if len(sys.argv) != 2:
        print("usage: plot_analysis.py DIRECTORY", file=sys.stderr)
        return 2
    directory = sys.argv[1]
    with open(os.path.join(directory, "analysis.json")) as handle:
        meta = json.load(handle)
    plot_response(directory, meta)
    plot_spectrum(directory, meta)
    return 0


if __name__ == "__main__":
    sys.exit(main())
