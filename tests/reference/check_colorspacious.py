#!/usr/bin/env python3
"""Reads cvdgen's lines from standard input and checks Tintaro's protan and
deutan simulation against colorspacious's "sRGB1+CVD" space (Debian's
python3-colorspacious) at the eleven severities of Machado's table: every
channel within one 8-bit step. colorspacious takes severity as 0 .. 100 and
sRGB components as 0 .. 1; its results are clipped to 0 .. 1 before they are
rounded to 8 bits (halves up), as Tintaro clamps.

Usage: cvdgen COLOURS | check_colorspacious.py COLOURS
"""
import sys

import numpy as np
from colorspacious import cspace_convert

KINDS = ("protanomaly", "deuteranomaly")
SEVERITIES = range(0, 101, 10)


def channels(hex_columns):
    """An array of 'RRGGBB' texts as an N x 3 array of integers."""
    packed = np.array([int(h, 16) for h in hex_columns], dtype=np.int64)
    return np.stack([(packed >> 16) & 255, (packed >> 8) & 255, packed & 255], axis=1)


def main():
    lines = [line.rstrip("\n").split("\t") for line in sys.stdin if line.strip()]
    # A generator that died part-way would otherwise pass on what it wrote.
    expected = int(sys.argv[1]) if len(sys.argv) > 1 else len(lines)
    if not lines or len(lines) != expected or any(len(fields) != 23 for fields in lines):
        print(f"read {len(lines)} lines, expected {expected} of 23 fields each")
        return 1
    columns = list(zip(*lines))
    source = channels([text.lstrip("#") for text in columns[0]])
    rgb1 = source / 255.0
    beyond = 0
    total_one = 0
    compared = 0
    examples = []
    column = 1
    for kind in KINDS:
        for severity in SEVERITIES:
            space = {"name": "sRGB1+CVD", "cvd_type": kind, "severity": severity}
            theirs = np.floor(np.clip(cspace_convert(rgb1, space, "sRGB1"), 0, 1) * 255 + 0.5).astype(np.int64)
            ours = channels(columns[column])
            column += 1
            difference = np.abs(ours - theirs).max(axis=1)
            off = np.nonzero(difference > 1)[0]
            one = int(np.count_nonzero(difference == 1))
            compared += len(source)
            beyond += len(off)
            total_one += one
            print(f"{kind} {severity:3d}: {len(source)} colours, {one} one step off, {len(off)} beyond")
            for i in off[:5]:
                examples.append(f"{kind} {severity} #{columns[0][i][1:]}: Tintaro {columns[column - 1][i]}, "
                                f"colorspacious {''.join(f'{c:02X}' for c in theirs[i])}")
    print(f"{compared} comparisons, {total_one} one step off, {beyond} beyond one step")
    for example in examples[:20]:
        print(example)
    return 1 if beyond else 0


if __name__ == "__main__":
    sys.exit(main())
