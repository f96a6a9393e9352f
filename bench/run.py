#!/usr/bin/python3
"""Runs the benchmarks and prints one table.

Whole-process figures: Tintaro and a bare Qt window (one QWidget, shown,
painted once), built with the same flags, are started in turn under one Xvfb,
in turn (A B C A B C ...). Start-up is exec to the first paint (the hook
prints CLOCK_MONOTONIC when the window has been exposed and painted); memory
is the peak resident set of the run. Ratios are of medians.

In-process figures come from bench_handlers (QBENCHMARK, offscreen).
Usage: bench/run.py BUILD_DIR [RUNS]
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15


def start_xvfb():
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                              pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    display = os.read(read, 64).decode().strip()
    os.close(read)
    return server, display


def one_run(program, env):
    start = time.monotonic_ns()
    child = subprocess.Popen([program], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = child.stdout.readline().decode()
    _, status, usage = os.wait4(child.pid, 0)
    child.stdout.close()
    match = re.match(r"first-paint (\d+)", line)
    if not match or status != 0:
        sys.exit("%s did not report its first paint" % program)
    return (int(match.group(1)) - start) / 1e6, usage.ru_maxrss / 1024.0


server, display = start_xvfb()
runtime = tempfile.mkdtemp()
env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime)
env.pop("QT_SCALE_FACTOR", None)
bare = os.path.join(build, "bench", "startup_bare")
text = os.path.join(build, "bench", "startup_text")
tintaro = os.path.join(build, "bench", "startup_tintaro")
programs = (("bare", bare), ("text", text), ("tintaro", tintaro))
times = {name: [] for name, _ in programs}
memory = {name: [] for name, _ in programs}
try:
    for _, warm in programs:  # the font and library caches, once
        one_run(warm, env)
    for _ in range(runs):
        for name, program in programs:
            ms, mib = one_run(program, env)
            times[name].append(ms)
            memory[name].append(mib)
finally:
    server.terminate()
    server.wait()

handlers = subprocess.run([os.path.join(build, "bench", "bench_handlers"), "-maxwarnings", "0"],
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime),
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
results = dict(re.findall(r"RESULT : bench_Handlers::(\w+)\(\):\s+([\d.]+) msecs per iteration", handlers))
infos = dict(re.findall(r"BENCH ([\w-]+) ([\d.]+) ms", handlers))
if len(results) < 3 or len(infos) < 4:
    sys.exit("bench_handlers failed:\n" + handlers)

t = {name: statistics.median(values) for name, values in times.items()}
m = {name: statistics.median(values) for name, values in memory.items()}
rows = [
    ("start-up (exec to first paint)", "%.1f ms vs %.1f ms bare" % (t["tintaro"], t["bare"]),
     "%.2f x" % (t["tintaro"] / t["bare"]), "<= 1.25 x"),
    ("  the same against the bare window with a line of text", "%.1f ms vs %.1f ms" % (t["tintaro"], t["text"]),
     "%.2f x" % (t["tintaro"] / t["text"]), ""),
    ("memory (peak resident)", "%.1f MiB vs %.1f MiB bare" % (m["tintaro"], m["bare"]),
     "%.2f x" % (m["tintaro"] / m["bare"]), "<= 1.15 x"),
    ("  the same against the bare window with a line of text", "%.1f MiB vs %.1f MiB" % (m["tintaro"], m["text"]),
     "%.2f x" % (m["tintaro"] / m["text"]), ""),
    ("slider change (ScrollBar1Change)", "%.1f us" % (float(results["sliderChange"]) * 1000), "", "<= 20 us"),
    ("pick (select a row + ListBox1Click)", "%.1f us" % (float(results["pick"]) * 1000), "", "<= 80 us"),
    ("drag, 256 positions painted", "worst %s ms, median %s ms" % (infos["drag-worst-frame"],
                                                                     infos["drag-median-frame"]), "", "<= 16.7 ms"),
    ("chooser (Button3Click to shown)", "first %s ms, later %s ms" % (infos["chooser-first-opening"],
                                                                      infos["chooser-later-opening-median"]),
     "", "<= 50 ms"),
    ("nearest named colour (one CIEDE2000 lookup)", "%.2f us" % (float(results["nearestName"]) * 1000), "", "<= 5 us"),
]
print("%d runs each, pair by pair; medians\n" % runs)
print("| figure | measured | ratio | target |\n|---|---|---|---|")
for row in rows:
    print("| %s |" % " | ".join(row))
