#!/usr/bin/python3
"""Compares the resident code pages of two runs (TINTARO_BENCH_PAGES files
written at the first paint) and places the pages that only the second run
has in 64 KiB blocks, the kernel's fault-around unit, each named by the
nearest exported symbols before its first and last page.

Usage: bench/resident_pages.py A.pages B.pages [LIBRARY_PATH]
Without LIBRARY_PATH, prints the resident KiB of each file in both runs.
"""
import bisect
import collections
import re
import subprocess
import sys


def read(path):
    pages = collections.defaultdict(set)
    current = None
    for line in open(path):
        if line.startswith("map "):
            current = line.split(" ", 2)[2].strip()
        else:
            pages[current].add(int(line, 16))
    return pages


def namer(library):
    segments = [(int(m.group(1), 16), int(m.group(2), 16)) for m in
                re.finditer(r"LOAD\s+0x([0-9a-f]+) 0x([0-9a-f]+)",
                            subprocess.run(["readelf", "-lW", library], capture_output=True, text=True).stdout)]
    symbols = sorted((int(address, 16), name) for address, kind, name in
                     (line.split(" ", 2) for line in
                      subprocess.run(["nm", "-D", "--defined-only", "-C", library], capture_output=True,
                                     text=True).stdout.splitlines() if line.count(" ") >= 2)
                     if kind in "TtWw")
    addresses = [address for address, _ in symbols]

    def name(offset):
        address = offset
        for file_offset, virtual in segments:
            if file_offset <= offset:
                address = offset - file_offset + virtual
        at = bisect.bisect_right(addresses, address) - 1
        return symbols[at][1] if at >= 0 else "?"
    return name


a, b = read(sys.argv[1]), read(sys.argv[2])
if len(sys.argv) < 4:
    for path in sorted(set(a) | set(b), key=lambda p: len(a.get(p, ())) - len(b.get(p, ()))):
        if len(a.get(path, ())) != len(b.get(path, ())):
            print("%6d %6d %+6d KiB  %s" % (4 * len(a.get(path, ())), 4 * len(b.get(path, ())),
                                            4 * (len(b.get(path, ())) - len(a.get(path, ()))), path))
    sys.exit(0)
library = sys.argv[3]
only = sorted(b.get(library, set()) - a.get(library, set()))
print("%s: %d KiB resident in A, %d KiB in B, %d KiB only in B" % (
    library, 4 * len(a.get(library, ())), 4 * len(b.get(library, ())), 4 * len(only)))
name = namer(library)
blocks = collections.OrderedDict()
for offset in only:
    blocks.setdefault(offset // 65536, []).append(offset)
for block, offsets in blocks.items():
    print("%4d KiB at %#8x  %s .. %s" % (4 * len(offsets), block * 65536, name(offsets[0])[:60], name(offsets[-1])[:60]))
