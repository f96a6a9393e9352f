#!/usr/bin/python3
"""Runs the benchmarks and prints one table.

Whole-process figures: Tintaro and two yardsticks, a bare Qt window (one
QWidget, shown, painted once) and the same window showing one line of
Japanese text, all built with the same flags, are started in turn under one
private Xvfb (A B C A B C ...). Start-up is exec to the first map: the hook
prints CLOCK_MONOTONIC once the window has been exposed and painted, then
quits. Memory is the peak resident set of the run. Each ratio is the median
of the per-round ratios, so that a slow moment of the machine falls on both
programs of a pair.

Instructions to the first paint come from one callgrind run of each program
under the same Xvfb; they repeat to within a few thousand, so one run does.

In-process figures come from bench_handlers (QBENCHMARK, offscreen).
Usage: bench/run.py BUILD_DIR [RUNS]
"""
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15


def start_xvfb():
    # A display number that no other server holds, by lock file or by abstract
    # socket: servers in other containers share the abstract socket names but
    # not /tmp, and a client tries the abstract socket first.
    with open("/proc/net/unix") as table:
        taken = table.read()
    number = random.randrange(200, 30000)
    while os.path.exists("/tmp/.X%d-lock" % number) or "/tmp/.X11-unix/X%d\n" % number in taken:
        number = random.randrange(200, 30000)
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", ":%d" % number, "-displayfd", str(write), "-screen", "0", "1280x800x24",
                               "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    # The server writes the number and the newline separately, and gives up
    # if the pipe has closed in between.
    display = b""
    while not display.endswith(b"\n"):
        chunk = os.read(read, 64)
        if not chunk:
            break
        display += chunk
    os.close(read)
    display = display.decode().strip()
    return server, display


class NoFirstPaint(Exception):
    pass


def one_run(program, env):
    start = time.monotonic_ns()
    child = subprocess.Popen([program], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = child.stdout.readline().decode()
    _, status, usage = os.wait4(child.pid, 0)
    child.stdout.close()
    match = re.match(r"first-paint (\d+)", line)
    if not match or status != 0:
        raise NoFirstPaint("%s did not report its first paint (%r, status %d)" % (program, line, status))
    return (int(match.group(1)) - start) / 1e6, usage.ru_maxrss / 1024.0


def instructions(program, env, scratch):
    """Instructions from exec to the first paint, in the program's own process
    (a child that Qt's session bus lookup may fork is not counted)."""
    if not shutil.which("valgrind"):
        return None
    log = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=%s/callgrind.%%p" % scratch, program],
                         env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
    pid = re.search(r"==(\d+)== Command:", log)
    total = pid and re.search(r"==%s== Collected : (\d+)" % pid.group(1), log)
    if not total:
        sys.exit("callgrind could not run %s:\n%s" % (program, log))
    return int(total.group(1))


runtime = tempfile.mkdtemp()
programs = [(name, os.path.join(build, "bench", "startup_" + name)) for name in ("bare", "text", "tintaro")]
times = {name: [] for name, _ in programs}
memory = {name: [] for name, _ in programs}
counts = {}
# Another Xvfb starting at the same moment on a shared machine can still take
# the display number that ours was given; a new server gets a new number.
for attempt in range(3):
    server, display = start_xvfb()
    env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime)
    env.pop("QT_SCALE_FACTOR", None)
    try:
        for _, warm in programs:  # the font and library caches, once
            one_run(warm, env)
        break
    except NoFirstPaint as error:
        server.terminate()
        server.wait()
        if attempt == 2:
            sys.exit(str(error))
try:
    for _ in range(runs):
        for name, program in programs:
            ms, mib = one_run(program, env)
            times[name].append(ms)
            memory[name].append(mib)
    for name, program in programs:
        counts[name] = instructions(program, env, runtime)
finally:
    server.terminate()
    server.wait()

handlers = subprocess.run([os.path.join(build, "bench", "bench_handlers"), "-maxwarnings", "0"],
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime),
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
shutil.rmtree(runtime, ignore_errors=True)
results = dict(re.findall(r"RESULT : bench_Handlers::(\w+)\(\):\s+([\d.]+) msecs per iteration", handlers))
infos = dict(re.findall(r"BENCH ([\w-]+) ([\d.]+) ms", handlers))
if len(results) < 3 or len(infos) < 6:
    sys.exit("bench_handlers failed:\n" + handlers)


def pairwise(values, yardstick):
    """The median over rounds of Tintaro's figure divided by the yardstick's."""
    return statistics.median(a / b for a, b in zip(values["tintaro"], values[yardstick]))


def median(values, name):
    return statistics.median(values[name])


rows = []
for yardstick, label, target in (("text", "the window with a line of Japanese text", "<= 1.10 x"),
                                 ("bare", "the bare window", "")):
    rows.append(("time to first map against %s" % label,
                 "%.3f x (%.1f ms vs %.1f ms)" % (pairwise(times, yardstick), median(times, "tintaro"),
                                                 median(times, yardstick)), target))
for yardstick, label, target in (("text", "the window with a line of Japanese text", "<= 1.05 x"),
                                 ("bare", "the bare window", "")):
    rows.append(("peak resident memory against %s" % label,
                 "%.3f x (%.1f MiB vs %.1f MiB)" % (pairwise(memory, yardstick), median(memory, "tintaro"),
                                                   median(memory, yardstick)), target))
if all(counts.values()):
    for yardstick, label, target in (("text", "the window with a line of Japanese text", "<= 1.10 x"),
                                     ("bare", "the bare window", "")):
        rows.append(("instructions to the first paint against %s" % label,
                     "%.3f x (%.1f M vs %.1f M)" % (counts["tintaro"] / counts[yardstick], counts["tintaro"] / 1e6,
                                                   counts[yardstick] / 1e6), target))
rows += [
    ("slider change / pick (ScrollBar1Change / a row selected + ListBox1Click)",
     "%.1f us / %.1f us" % (float(results["sliderChange"]) * 1000, float(results["pick"]) * 1000),
     "<= 5.2 us / 27 us"),
    ("drag, 256 positions painted", "worst %s ms, median %s ms" % (infos["drag-worst-frame"],
                                                                     infos["drag-median-frame"]), "<= 16.7 ms"),
    ("name list with colour chips scrolled top to bottom, painted",
     "worst %s ms, median %s ms" % (infos["scroll-worst-frame"], infos["scroll-median-frame"]), "<= 16 ms"),
    ("chooser (Button3Click to shown)", "first %s ms, later %s ms" % (infos["chooser-first-opening"],
                                                                      infos["chooser-later-opening-median"]),
     "<= 50 ms"),
    ("nearest named colour (one CIEDE2000 lookup)", "%.2f us" % (float(results["nearestName"]) * 1000), "<= 5 us"),
    ("one swatch description (contrast, APCA, nearest passing colours)",
     "%.2f us" % (float(results["description"]) * 1000), "<= 20 us"),
    ("one set of copy texts (the CSS forms and the passing colours)",
     "%.2f us" % (float(results["copyTexts"]) * 1000), "<= 20 us"),
]
print("%d rounds of bare, text, Tintaro; pairwise medians; instructions from one callgrind run each\n" % runs)
print("| figure | now | target |\n|---|---|---|")
for row in rows:
    print("| %s |" % " | ".join(row))
