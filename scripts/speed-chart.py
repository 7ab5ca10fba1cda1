#!/usr/bin/env python3
"""Draws the README's speed chart from zarvo_bench's JSON output: the time of a frame of the
built-in sample against its pixel count, one line per Quality (the BM_PixelScaling rows).

    build/bin/zarvo_bench --benchmark_filter=BM_PixelScaling \\
        --benchmark_format=json > scaling.json
    scripts/speed-chart.py scaling.json docs/speed.png

Standard library only: the PNG is written by hand, the labels in a small bitmap font.
"""
import json
import re
import struct
import sys
import zlib

QUALITIES = {1: "EXTREME", 2: "HIGH", 3: "MEDIUM", 4: "LOW"}
COLOURS = {1: (214, 39, 40), 2: (255, 127, 14), 3: (44, 160, 44), 4: (31, 119, 180)}

# 5 x 7 glyphs, one string of 7 rows of 5 bits per character.
FONT = {
    "0": "01110 10001 10011 10101 11001 10001 01110", "1": "00100 01100 00100 00100 00100 00100 01110",
    "2": "01110 10001 00001 00010 00100 01000 11111", "3": "11110 00001 00001 01110 00001 00001 11110",
    "4": "00010 00110 01010 10010 11111 00010 00010", "5": "11111 10000 11110 00001 00001 10001 01110",
    "6": "00110 01000 10000 11110 10001 10001 01110", "7": "11111 00001 00010 00100 01000 01000 01000",
    "8": "01110 10001 10001 01110 10001 10001 01110", "9": "01110 10001 10001 01111 00001 00010 01100",
    ".": "00000 00000 00000 00000 00000 01100 01100", " ": "00000 00000 00000 00000 00000 00000 00000",
    "(": "00010 00100 01000 01000 01000 00100 00010", ")": "01000 00100 00010 00010 00010 00100 01000",
    ",": "00000 00000 00000 00000 01100 00100 01000", "/": "00001 00010 00010 00100 01000 01000 10000",
    "-": "00000 00000 00000 11111 00000 00000 00000", "X": "10001 10001 01010 00100 01010 10001 10001",
    "A": "01110 10001 10001 11111 10001 10001 10001", "B": "11110 10001 10001 11110 10001 10001 11110",
    "C": "01110 10001 10000 10000 10000 10001 01110", "D": "11110 10001 10001 10001 10001 10001 11110",
    "E": "11111 10000 10000 11110 10000 10000 11111", "F": "11111 10000 10000 11110 10000 10000 10000",
    "G": "01110 10001 10000 10111 10001 10001 01111", "H": "10001 10001 10001 11111 10001 10001 10001",
    "I": "01110 00100 00100 00100 00100 00100 01110", "K": "10001 10010 10100 11000 10100 10010 10001",
    "L": "10000 10000 10000 10000 10000 10000 11111", "M": "10001 11011 10101 10101 10001 10001 10001",
    "N": "10001 11001 10101 10011 10001 10001 10001", "O": "01110 10001 10001 10001 10001 10001 01110",
    "P": "11110 10001 10001 11110 10000 10000 10000", "Q": "01110 10001 10001 10001 10101 10010 01101",
    "R": "11110 10001 10001 11110 10100 10010 10001", "S": "01111 10000 10000 01110 00001 00001 11110",
    "T": "11111 00100 00100 00100 00100 00100 00100", "U": "10001 10001 10001 10001 10001 10001 01110",
    "V": "10001 10001 10001 10001 10001 01010 00100", "W": "10001 10001 10001 10101 10101 10101 01010",
    "Y": "10001 10001 01010 00100 00100 00100 00100", "Z": "11111 00001 00010 00100 01000 10000 11111",
}


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = bytearray(b"\xff" * (width * height * 3))

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 3
            self.pixels[i:i + 3] = bytes(colour)

    def line(self, x0, y0, x1, y1, colour, thick=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for s in range(steps + 1):
            x = round(x0 + (x1 - x0) * s / steps)
            y = round(y0 + (y1 - y0) * s / steps)
            for dx in range(-(thick // 2), thick - thick // 2):
                for dy in range(-(thick // 2), thick - thick // 2):
                    self.dot(x + dx, y + dy, colour)

    def text(self, x, y, words, colour=(0, 0, 0), scale=2):
        for ch in words.upper():
            rows = FONT.get(ch, FONT[" "]).split()
            for r, bits in enumerate(rows):
                for c, bit in enumerate(bits):
                    if bit == "1":
                        for sx in range(scale):
                            for sy in range(scale):
                                self.dot(x + c * scale + sx, y + r * scale + sy, colour)
            x += 6 * scale

    def png(self):
        raw = b"".join(b"\x00" + bytes(self.pixels[y * self.width * 3:(y + 1) * self.width * 3])
                       for y in range(self.height))

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def rows(report):
    """(quality, megapixels, frame ms) of every BM_PixelScaling row."""
    found = []
    for b in report.get("benchmarks", []):
        m = re.match(r"BM_PixelScaling/w:(\d+)/h:(\d+)/quality:(\d)/", b.get("name", ""))
        if not m or b.get("run_type", "iteration") != "iteration":
            continue
        ms = b.get("frame_ms") or b.get("real_time")
        found.append((int(m.group(3)), int(m.group(1)) * int(m.group(2)) / 1e6, float(ms)))
    return found


def nice(top):
    """The smallest grid step of 1, 2 or 5 times a power of ten that needs at most 8 lines."""
    scale = 10 ** (len(str(int(top))) - 2)
    for step in (s * scale * 10 ** e for e in range(0, 4) for s in (1, 2, 5)):
        if top / step <= 8:
            return step
    return top


def draw(points, out):
    width, height, left, right, top, bottom = 900, 560, 90, 200, 50, 70
    c = Canvas(width, height)
    max_mp = max(p[1] for p in points)
    max_ms = max(p[2] for p in points) * 1.05
    tick = nice(max_ms)
    max_ms = tick * (int(max_ms / tick) + 1)

    def at(mp, ms):
        return (left + round(mp / max_mp * (width - left - right)),
                height - bottom - round(ms / max_ms * (height - top - bottom)))

    grey = (220, 220, 220)
    v = 0.0
    while v <= max_ms + 1e-9:
        x0, y = at(0, v)
        c.line(left, y, width - right, y, grey)
        label = f"{v:g}"
        c.text(left - 10 - 12 * len(label), y - 7, label)
        v += tick
    last_label = -100
    for mp in sorted({p[1] for p in points}):
        x, _ = at(mp, 0)
        c.line(x, top, x, height - bottom, grey)
        label = f"{mp:.1f}"
        # Sizes close together share one label.
        if x - last_label >= 60:
            c.text(x - 6 * len(label), height - bottom + 10, label)
            last_label = x
    c.line(left, height - bottom, width - right, height - bottom, (0, 0, 0))
    c.line(left, top, left, height - bottom, (0, 0, 0))
    c.text(left, 15, "MS PER FRAME AGAINST MEGAPIXELS, BUILT-IN SAMPLE, 3 STROKES")
    c.text(width // 2 - 90, height - 30, "MEGAPIXELS")
    y = top + 20
    for quality in sorted(QUALITIES):
        line = sorted((p[1], p[2]) for p in points if p[0] == quality)
        if not line:
            continue
        colour = COLOURS[quality]
        for (mp0, ms0), (mp1, ms1) in zip(line, line[1:]):
            c.line(*at(mp0, ms0), *at(mp1, ms1), colour, thick=3)
        for mp, ms in line:
            x, yy = at(mp, ms)
            for dx in range(-3, 4):
                c.line(x + dx, yy - 3, x + dx, yy + 3, colour)
        c.line(width - right + 20, y + 6, width - right + 50, y + 6, colour, thick=3)
        c.text(width - right + 58, y, QUALITIES[quality], colour)
        y += 30
    with open(out, "wb") as f:
        f.write(c.png())


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: speed-chart.py BENCHMARK.json OUTPUT.png")
    try:
        with open(sys.argv[1]) as f:
            report = json.load(f)
    except (OSError, ValueError) as e:
        sys.exit(f"speed-chart.py: cannot read {sys.argv[1]}: {e}")
    points = rows(report)
    if not points:
        sys.exit(f"speed-chart.py: {sys.argv[1]} holds no BM_PixelScaling rows")
    draw(points, sys.argv[2])


if __name__ == "__main__":
    main()
