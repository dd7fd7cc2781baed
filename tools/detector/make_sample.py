#!/usr/bin/env python3
"""Makes the simulated detector's demo content: screenshots/1.png ... 6.png, 640 x 480 frames
that look like the detector's screen (A-scan trace, gates, readout), each with a trace of its
own and its number drawn large, so that a person and a pixel test tell them apart; and two
small settings files fds.sdb and fdc.sdb. Deterministic: the same files on every run.

Usage: make_sample.py [OUTPUT_FOLDER]   (default: the folder sample/ beside this script)
       make_sample.py --check             the files in sample/ are what this script makes, and
                                          the frames differ in their number and their trace
"""
import math
import os
import random
import struct
import sys
import zlib

W, H = 640, 480

# Palette: 0 background, 1 grid, 2 trace, 3 gate A, 4 gate B, 5 text, 6 panel, 7 frame line,
# 8 echo fill, 9 the frame's number.
PALETTE = [(8, 16, 24), (34, 52, 62), (120, 255, 120), (255, 200, 40), (255, 80, 80),
           (230, 230, 230), (20, 36, 48), (90, 120, 140), (40, 110, 50), (80, 170, 255)]

# The echoes of each frame between the initial pulse and the back wall, as (position 0..1,
# height 0..1, width): one flaw, two flaws, a cluster, a flaw by the back wall, a clean part,
# a large flaw that shadows the back wall. The back wall's height comes last.
INSPECTIONS = {
    1: ([(0.33, 0.45, 0.010)], 0.80),
    2: ([(0.28, 0.40, 0.010), (0.55, 0.58, 0.012)], 0.78),
    3: ([(0.44, 0.30, 0.006), (0.47, 0.42, 0.006), (0.50, 0.34, 0.006), (0.53, 0.26, 0.006)], 0.74),
    4: ([(0.72, 0.52, 0.011)], 0.62),
    5: ([], 0.88),
    6: ([(0.38, 0.60, 0.022)], 0.18),
}

FONT = {  # 5 x 7, one string of 5 bits per row
    '0': "01110 10001 10011 10101 11001 10001 01110", '1': "00100 01100 00100 00100 00100 00100 01110",
    '2': "01110 10001 00001 00010 00100 01000 11111", '3': "11110 00001 00001 01110 00001 00001 11110",
    '4': "00010 00110 01010 10010 11111 00010 00010", '5': "11111 10000 11110 00001 00001 10001 01110",
    '6': "00110 01000 10000 11110 10001 10001 01110", '7': "11111 00001 00010 00100 01000 01000 01000",
    '8': "01110 10001 10001 01110 10001 10001 01110", '9': "01110 10001 10001 01111 00001 00010 01100",
    'A': "01110 10001 10001 11111 10001 10001 10001", 'B': "11110 10001 10001 11110 10001 10001 11110",
    'C': "01110 10001 10000 10000 10000 10001 01110", 'D': "11110 10001 10001 10001 10001 10001 11110",
    'E': "11111 10000 10000 11110 10000 10000 11111", 'F': "11111 10000 10000 11110 10000 10000 10000",
    'G': "01110 10001 10000 10111 10001 10001 01111", 'H': "10001 10001 10001 11111 10001 10001 10001",
    'I': "01110 00100 00100 00100 00100 00100 01110", 'K': "10001 10010 10100 11000 10100 10010 10001",
    'L': "10000 10000 10000 10000 10000 10000 11111", 'M': "10001 11011 10101 10101 10001 10001 10001",
    'N': "10001 11001 10101 10011 10001 10001 10001", 'O': "01110 10001 10001 10001 10001 10001 01110",
    'P': "11110 10001 10001 11110 10000 10000 10000", 'R': "11110 10001 10001 11110 10100 10010 10001",
    'S': "01111 10000 10000 01110 00001 00001 11110", 'T': "11111 00100 00100 00100 00100 00100 00100",
    'U': "10001 10001 10001 10001 10001 10001 01110", 'V': "10001 10001 10001 10001 10001 01010 00100",
    'X': "10001 10001 01010 00100 01010 10001 10001", 'Y': "10001 10001 01010 00100 00100 00100 00100",
    '.': "00000 00000 00000 00000 00000 01100 01100", ':': "00000 01100 01100 00000 01100 01100 00000",
    '%': "11001 11010 00010 00100 01000 01011 10011", '-': "00000 00000 00000 11111 00000 00000 00000",
    '/': "00001 00010 00010 00100 01000 01000 10000", ' ': "00000 00000 00000 00000 00000 00000 00000",
}


def text(img, x, y, s, colour=5, scale=2):
    for ch in s:
        rows = FONT.get(ch.upper(), FONT[' ']).split()
        for r, bits in enumerate(rows):
            for c, bit in enumerate(bits):
                if bit == '1':
                    for dy in range(scale):
                        for dx in range(scale):
                            img[y + r * scale + dy][x + c * scale + dx] = colour
        x += 6 * scale


def rect(img, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(H, y1)):
        row = img[y]
        for x in range(max(0, x0), min(W, x1)):
            row[x] = colour


def frame(n):
    rnd = random.Random(n)
    img = [bytearray(W) for _ in range(H)]
    # Screen area of the A-scan and its grid.
    left, top, right, bottom = 40, 60, 600, 400
    rect(img, 0, 0, W, 48, 6)
    rect(img, 0, 420, W, H, 6)
    for i in range(11):
        x = left + (right - left) * i // 10
        rect(img, x, top, x + 1, bottom, 1)
    for i in range(9):
        y = top + (bottom - top) * i // 8
        rect(img, left, y, right, y + 1, 1)
    rect(img, left, top, right, top + 1, 7)
    rect(img, left, bottom, right, bottom + 1, 7)
    rect(img, left, top, left + 1, bottom, 7)
    rect(img, right, top, right + 1, bottom + 1, 7)
    # The frame's number, large, in the quiet top of the screen (drawn first: the trace and
    # the gates go over it).
    digits = str(n)
    scale = 14
    text(img, (left + right) // 2 - (len(digits) * 6 - 1) * scale // 2, top + 14, digits, 9, scale)
    # The echoes: initial pulse, the frame's own flaws, the back wall.
    flaws, wall = INSPECTIONS.get(n, ([(0.25 + 0.07 * (n % 8), 0.35 + 0.05 * (n % 5), 0.010)], 0.8))
    echoes = [(0.03, 0.95, 0.012)] + flaws + [(0.82, wall, 0.014)]
    prev = None
    for x in range(left + 1, right):
        t = (x - left) / (right - left)
        a = sum(h * math.exp(-((t - c) / w) ** 2) * abs(math.cos((t - c) * 900)) for c, h, w in echoes)
        a += 0.025 * rnd.random()
        y = bottom - 1 - int(min(a, 1.0) * (bottom - top - 2))
        if y < bottom - 4:
            rect(img, x, y + 1, x + 1, bottom, 8)
        lo, hi = (y, y) if prev is None else (min(prev, y), max(prev, y))
        rect(img, x, lo, x + 1, hi + 1, 2)
        prev = y
    flaw_at, flaw_height = max(flaws, key=lambda e: e[1])[:2] if flaws else (0.5, 0.0)
    # Gates A and B.
    ax = left + int((flaw_at - 0.06) * (right - left))
    ay = bottom - int(0.3 * (bottom - top))
    rect(img, ax, ay, ax + 90, ay + 3, 3)
    bx = left + int(0.76 * (right - left))
    by = bottom - int(0.5 * (bottom - top))
    rect(img, bx, by, bx + 80, by + 3, 4)
    # Readout.
    text(img, 12, 12, "PELORIN UD   FRAME %d" % n)
    text(img, 420, 12, "GAIN %.1fDB" % (38 + n * 1.5))
    depth = 100 * flaw_at
    text(img, 12, 432, "H %d%%  S %.1fMM  Y %.1fMM" % (int(flaw_height * 100), depth, depth * 0.87))
    text(img, 12, 456, "RANGE 100MM  V 5920M/S  ANGLE 0")
    text(img, ax, ay - 20, "A", 3)
    text(img, bx, by - 20, "B", 4)
    return img


def png(img):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in img)
    palette = b"".join(bytes(c) for c in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 3, 0, 0, 0)) +
            chunk(b"PLTE", palette) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def settings(kind, size, seed):
    rnd = random.Random(seed)
    head = ("PELORIN SETTINGS %s 2.04\r\n" % kind).encode()
    body = bytes(rnd.randrange(256) for _ in range(size - len(head)))
    return head + body


def differing(a, b, x0, y0, x1, y1):
    """How many pixels of the box differ between two frames."""
    return sum(a[y][x] != b[y][x] for y in range(y0, y1) for x in range(x0, x1))


def trace_apart(a, b):
    """How many columns of the screen have the two traces' peaks further apart than the noise."""
    def tops(img):
        return [next((y for y in range(60, 400) if img[y][x] == 2), 400) for x in range(41, 600)]
    return sum(abs(ya - yb) > 16 for ya, yb in zip(tops(a), tops(b)))


def check(folder):
    """Fails (exit status 1) unless the stored sample is what this script makes, 640 x 480, and
    every two frames differ both where the number is drawn and along the trace."""
    problems = []
    frames = {n: frame(n) for n in range(1, 7)}
    for n, img in frames.items():
        with open(os.path.join(folder, "screenshots", "%d.png" % n), "rb") as f:
            data = f.read()
        if data != png(img):
            problems.append("screenshots/%d.png is not what make_sample.py makes" % n)
        if struct.unpack(">II", data[16:24]) != (W, H):
            problems.append("screenshots/%d.png is not %d x %d" % (n, W, H))
    for a in range(1, 7):
        for b in range(a + 1, 7):
            number = differing(frames[a], frames[b], 250, 70, 390, 180)
            trace = trace_apart(frames[a], frames[b])
            if number < 300 or trace < 20:
                problems.append("frames %d and %d look alike (%d pixels of the number, %d columns of the trace differ)" % (a, b, number, trace))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample")
    if sys.argv[1:] == ["--check"]:
        sys.exit(check(here))
    out = sys.argv[1] if len(sys.argv) > 1 else here
    os.makedirs(os.path.join(out, "screenshots"), exist_ok=True)
    for n in range(1, 7):
        data = png(frame(n))
        with open(os.path.join(out, "screenshots", "%d.png" % n), "wb") as f:
            f.write(data)
    with open(os.path.join(out, "fds.sdb"), "wb") as f:
        f.write(settings("FDS", 1100, 1))
    with open(os.path.join(out, "fdc.sdb"), "wb") as f:
        f.write(settings("FDC", 300, 2))


if __name__ == "__main__":
    main()
