#!/usr/bin/env python3
"""Compares the editor's picture from two window systems, pixel by pixel.

Usage: compare_pictures.py HEADLESS.bmp WIN32.bmp

Reads the 24-bit BMPs the editor window tests leave behind and prints the share of identical
pixels, over the whole editor and outside the areas where text is drawn (glyphs are rasterised
by each system's own font engine). Exits 1 when a non-text pixel differs.
"""
import struct
import sys

# The number fields, the readouts and the editor's text: left, top, right, bottom.
TEXT_AREAS = [
    (33, 204, 56, 213), (72, 204, 93, 213), (110, 204, 131, 213), (147, 204, 168, 213),
    (185, 204, 206, 213), (111, 63, 152, 73), (168, 63, 210, 73),
]


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    bits, = struct.unpack_from("<H", data, 28)
    if bits != 24:
        raise SystemExit(f"{path}: {bits}-bit, expected 24-bit")
    row_bytes = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        start = offset + source * row_bytes
        rows.append([tuple(data[start + 3 * x:start + 3 * x + 3]) for x in range(width)])
    return width, abs(height), rows


def in_text(x, y):
    return any(l <= x < r and t <= y < b for l, t, r, b in TEXT_AREAS)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    w1, h1, a = read_bmp(sys.argv[1])
    w2, h2, b = read_bmp(sys.argv[2])
    if (w1, h1) != (w2, h2):
        raise SystemExit(f"sizes differ: {w1}x{h1} and {w2}x{h2}")
    same = total = same_outside = outside = 0
    first = None
    for y in range(h1):
        for x in range(w1):
            equal = a[y][x] == b[y][x]
            total += 1
            same += equal
            if not in_text(x, y):
                outside += 1
                same_outside += equal
                if not equal and first is None:
                    first = (x, y, a[y][x][::-1], b[y][x][::-1])
    print(f"identical pixels: {same}/{total} ({100.0 * same / total:.2f} %) overall, "
          f"{same_outside}/{outside} ({100.0 * same_outside / outside:.2f} %) outside text")
    if first:
        x, y, p, q = first
        print(f"first difference outside text at ({x}, {y}): RGB {p} and {q}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
