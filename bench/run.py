#!/usr/bin/python3
"""Runs the benchmarks and prints one table.

Whole-process figures: Tintaro and two yardsticks, a bare Qt window (one
QWidget, shown, painted once) and the same window showing one line of
Japanese text in the family the window resolves to, all built with the same
flags, are started in turn under one private Xvfb, the order rotated each
round. Each session is measured in full, with an Xvfb and a session bus of
its own:
  private  a bus that can start no service;
  desktop  a bus on the standard session service folders, as a desktop
           session has: the accessibility bus launcher, the desktop portal
           and the rest of the machine's session services can be started
           on demand. What they write goes to the session's own folder.
Every run has an empty HOME and XDG_RUNTIME_DIR of its own, checked to be
still empty afterwards (the programs write nothing). After the desktop
session the bench names the services that the runs started on its bus. Each is started by bench/mapwait, an X client that takes the time
just before the exec and again when the server reports the window mapped,
as a user sees it appear; the program's first-paint hook prints the time
once the window has been exposed and painted, then quits. Memory is the
peak resident set of the run. Each ratio is the median of the per-round
ratios, so that a slow moment of the machine falls on both programs of a
pair.

Instructions to the map request (xcb_map_window) and to the first paint
(the hook's quit, teardown left out) come from one callgrind run of each
program under each session; they repeat to within about 0.1 M (the session
bus and the event reader thread do not always answer in the same order), so
one run does.

In-process figures come from bench_handlers (QBENCHMARK, offscreen). The
paste of a huge clipboard comes from bench/pastewait under a private Xvfb:
xclip holds 100 MB of style sheet, and a zero timer measures the longest
wait of the event loop from the paste's start to its result.

The X11 pick's figures come from bench/pickloupe, which picks through the
program's own picker under a private Xvfb of large screens and watches the
server from a second X connection: the time from the pick's start until the
server reports the loupe mapped (on a 7680 x 4320 screen, and on the second
of two 3840 x 2160 X screens, the pick started there or the pointer moved
there during the pick), and the process's resident memory over ten picks on
3840 x 2160. Each process's first pick is given apart from the later ones.

The screencopy pick's figure comes from bench/wlrpick, a Wayland client of
Debian's sway, headless with its pixman renderer, on two 3840 x 2160
outputs: the time from the pick's start until sway has drawn the frozen
overlay on both (the frame callback of each overlay surface).
Usage: bench/run.py BUILD_DIR [RUNS] [--picks-only | --startup-only]
(--startup-only: the whole-process rows alone, for a before and after of a
change that should not touch the rest.)
"""
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

picks_only = "--picks-only" in sys.argv
startup_only = "--startup-only" in sys.argv
arguments = [argument for argument in sys.argv[1:] if argument not in ("--picks-only", "--startup-only")]
build = arguments[0] if arguments else "build"
runs = int(arguments[1]) if len(arguments) > 1 else 15


def start_xvfb(screens=("1280x1024x24",)):
    # Without -noreset the server resets whenever its last client leaves, and
    # a program started during the reset cannot connect.
    # A display number that no other server holds, by lock file or by abstract
    # socket: servers in other containers share the abstract socket names but
    # not /tmp, and a client tries the abstract socket first.
    with open("/proc/net/unix") as table:
        taken = table.read()
    number = random.randrange(200, 30000)
    while os.path.exists("/tmp/.X%d-lock" % number) or "/tmp/.X11-unix/X%d\n" % number in taken:
        number = random.randrange(200, 30000)
    read, write = os.pipe()
    arguments = ["Xvfb", ":%d" % number, "-displayfd", str(write), "-nolisten", "tcp", "-noreset"]
    for index, screen in enumerate(screens):
        arguments += ["-screen", str(index), screen]
    server = subprocess.Popen(arguments, pass_fds=(write,), stderr=subprocess.DEVNULL)
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


SERVICES = {
    # Nothing is started on demand.
    "private": "",
    # As the machine's own session configuration has them.
    "desktop": "  <standard_session_servicedirs/>\n",
}


def start_bus(folder, session, display):
    """A session bus of the bench's own, as a desktop session has one; without
    it libdbus would start one for each display and leave it running. The
    bus and whatever it starts see the session's display and folders only."""
    config = os.path.join(folder, "session.conf")
    with open(config, "w") as out:
        out.write("""<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%s</listen>
  <auth>EXTERNAL</auth>
%s  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
""" % (folder, SERVICES[session]))
    home = os.path.join(folder, "home")
    os.makedirs(home, exist_ok=True)
    env = {key: value for key, value in os.environ.items()
           if key not in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY")}
    env.update(HOME=home, XDG_RUNTIME_DIR=folder)
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = ":" + display
    bus = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)
    return bus, bus.stdout.readline().strip()


def started_services(address):
    """The well-known names on the bus other than the bus's own."""
    names = subprocess.run(["dbus-send", "--bus=" + address, "--print-reply=literal", "--dest=org.freedesktop.DBus",
                            "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout.split()
    return sorted(name for name in names if "." in name and not name.startswith(":")
                  and name != "org.freedesktop.DBus")


def stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class NoFirstPaint(Exception):
    pass


def fresh_folders(env):
    """The environment with an empty HOME and XDG_RUNTIME_DIR of the run's own."""
    folders = [tempfile.mkdtemp(prefix="bench-home-"), tempfile.mkdtemp(prefix="bench-runtime-")]
    return dict(env, HOME=folders[0], XDG_RUNTIME_DIR=folders[1]), folders


def leave_folders(program, folders):
    for folder in folders:
        written = os.listdir(folder)
        shutil.rmtree(folder, ignore_errors=True)
        if written:
            sys.exit("%s wrote %s into %s" % (program, ", ".join(written), folder))


def one_run(program, env):
    """Exec to map and exec to first paint in ms, and the peak resident set in MiB."""
    env, folders = fresh_folders(env)
    child = subprocess.run([os.path.join(build, "bench", "mapwait"), program], env=env, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True)
    leave_folders(program, folders)
    figures = dict(re.findall(r"^(exec|map|first-paint|maxrss) (\d+)$", child.stdout, re.M))
    if child.returncode != 0 or len(figures) < 4:
        raise NoFirstPaint("%s did not map and paint its window (%r, status %d):\n%s"
                           % (program, child.stdout, child.returncode, child.stderr[-2000:]))
    start = int(figures["exec"])
    return {"map": (int(figures["map"]) - start) / 1e6, "paint": (int(figures["first-paint"]) - start) / 1e6,
            "memory": int(figures["maxrss"]) / 1024.0}


def instructions(program, env, scratch):
    """Instructions in the program's own process from exec to the window's
    map request and to the first paint (the hook's quit; teardown left out)."""
    if not shutil.which("valgrind"):
        return None
    env, folders = fresh_folders(env)
    log = subprocess.run(["valgrind", "--tool=callgrind", "--dump-before=xcb_map_window",
                          "--dump-before=QCoreApplication::quit*", "--callgrind-out-file=%s/callgrind.%%p" % scratch,
                          program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
    leave_folders(program, folders)
    pid = re.search(r"==(\d+)== Command:", log)
    if not pid or not re.search(r"==%s== Collected : (\d+)" % pid.group(1), log):
        sys.exit("callgrind could not run %s:\n%s" % (program, log))
    parts = []
    for part in (1, 2):  # exec to the map request, the map request to the quit
        with open("%s/callgrind.%s.%d" % (scratch, pid.group(1), part)) as dump:
            parts.append(int(re.search(r"^totals: (\d+)", dump.read(), re.M).group(1)))
    return parts[0], parts[0] + parts[1]


def pick_runs(screens, arguments, processes):
    """The output of `processes` runs of bench/pickloupe with these arguments
    under one private Xvfb of these screens."""
    outputs = []
    for attempt in range(3):
        scratch = tempfile.mkdtemp(prefix="bench-pick-")
        server, display = start_xvfb(screens)
        bus, bus_address = start_bus(scratch, "private", display)
        env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=scratch,
                   DBUS_SESSION_BUS_ADDRESS=bus_address)
        for key in ("QT_SCALE_FACTOR", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY"):
            env.pop(key, None)
        try:
            while len(outputs) < processes:
                child = subprocess.run([os.path.join(build, "bench", "pickloupe")] + arguments, env=env,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                if child.returncode != 0:
                    raise NoFirstPaint("pickloupe %s failed (status %d):\n%s"
                                       % (" ".join(arguments), child.returncode, child.stderr[-2000:]))
                outputs.append(child.stdout)
            return outputs
        except NoFirstPaint as error:
            # Another Xvfb may have taken the display number, as above.
            if attempt == 2 or outputs:
                sys.exit(str(error))
        finally:
            stop(bus)
            stop(server)
            shutil.rmtree(scratch, ignore_errors=True)


def first_and_later(outputs, name):
    """The median of each process's first figure `name`, and of all later ones."""
    runs = [[float(value) for value in re.findall(r"^%s ([\d.]+)$" % name, output, re.M)] for output in outputs]
    later = [value for run in runs for value in run[1:]]
    return "first %.1f ms, later %.1f ms" % (statistics.median(run[0] for run in runs), statistics.median(later))


def wlr_pick_runs(processes):
    """The output of `processes` runs of bench/wlrpick under one sway,
    headless, on two 3840 x 2160 outputs; as root, sway (which refuses root)
    runs as nobody in a runtime folder of its own."""
    scratch = tempfile.mkdtemp(prefix="bench-wlr-")
    # Apart from the client's folder, which the user sway runs as cannot enter.
    folder = tempfile.mkdtemp(prefix="bench-wlr-sway-")
    config = os.path.join(folder, "config")
    with open(config, "w") as file:
        file.write("output HEADLESS-1 mode 3840x2160 position 0 0\n"
                   "output HEADLESS-2 mode 3840x2160 position 3840 0\n")
    command = ["sway", "-c", config]
    if os.geteuid() == 0:
        import pwd
        nobody = pwd.getpwnam("nobody")
        os.chown(folder, nobody.pw_uid, nobody.pw_gid)
        os.chown(config, nobody.pw_uid, nobody.pw_gid)
        command = ["setpriv", "--reuid=%d" % nobody.pw_uid, "--regid=%d" % nobody.pw_gid, "--clear-groups"] + command
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "XDG_RUNTIME_DIR": folder, "HOME": folder,
           "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1",
           "WLR_HEADLESS_OUTPUTS": "2"}
    sway = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        socket = None
        for _ in range(200):
            names = [name for name in os.listdir(folder) if name.startswith("wayland-") and not name.endswith(".lock")]
            if names:
                socket = os.path.join(folder, names[0])
                break
            subprocess.run(["sleep", "0.05"])
        if not socket:
            sys.exit("sway did not start")
        runtime = os.path.join(scratch, "runtime")
        os.mkdir(runtime, 0o700)
        client = dict(os.environ, WAYLAND_DISPLAY=socket, QT_QPA_PLATFORM="wayland", XDG_RUNTIME_DIR=runtime)
        for key in ("DISPLAY", "QT_SCALE_FACTOR", "DBUS_SESSION_BUS_ADDRESS"):
            client.pop(key, None)
        outputs = []
        for _ in range(processes):
            child = subprocess.run([os.path.join(build, "bench", "wlrpick"), "4"], env=client,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            if child.returncode != 0:
                sys.exit("wlrpick failed (status %d):\n%s" % (child.returncode, child.stderr[-2000:]))
            outputs.append(child.stdout)
        return outputs
    finally:
        stop(sway)
        shutil.rmtree(scratch, ignore_errors=True)
        shutil.rmtree(folder, ignore_errors=True)


def wlr_memory(outputs):
    """The worst over the processes of the memory the last pick held."""
    figures = [{name: int(value) / 1024.0 for name, value in
                re.findall(r"^(frames|pick-shared|pick-anon|after-shared)-kib (-?\d+)$", output, re.M)}
               for output in outputs]
    if not figures or any(len(f) < 4 for f in figures):
        sys.exit("wlrpick memory failed:\n" + "".join(outputs))
    frames = figures[0]["frames"]
    held = max(f["pick-shared"] + f["pick-anon"] for f in figures)
    return "%.1f / %.1f MiB (%.1f %% over the frames) / %.1f MiB" % (
        frames, held, 100.0 * (held - frames) / frames, max(f["after-shared"] for f in figures))


def pick_rows():
    wlr = wlr_pick_runs(5)
    eight_k = pick_runs(["7680x4320x24"], ["map", "0", "4"], 5)
    two_4k = ["3840x2160x24", "3840x2160x24"]
    started_second = pick_runs(two_4k, ["map", "1", "4"], 5)
    onto_second = pick_runs(two_4k, ["onto", "4"], 5)
    memory = pick_runs(two_4k[:1], ["memory", "10"], 1)[0]
    resident = {name: int(value) / 1024.0 for name, value in
                re.findall(r"^rss-(idle|after 1|after 10|peak) (\d+)$", memory, re.M)}
    if len(resident) < 4:
        sys.exit("pickloupe memory failed:\n" + memory)
    return [
        ("X11 pick: its start to the loupe mapped, 7680 x 4320 screen", first_and_later(eight_k, "loupe-map"),
         "<= 50 ms"),
        ("X11 pick: its start to the loupe mapped, started on the second of two 3840 x 2160 X screens",
         first_and_later(started_second, "loupe-map"), "<= 50 ms"),
        ("X11 pick: the pointer moved onto the second of two 3840 x 2160 X screens to the loupe mapped there",
         first_and_later(onto_second, "onto-map"), "<= 50 ms"),
        ("screencopy pick: its start to the frozen overlay drawn on two 3840 x 2160 outputs, sway headless (pixman)",
         first_and_later(wlr, "overlay-shown"), "<= 100 ms"),
        ("screencopy pick, two 3840 x 2160 outputs: the frames / the pick's shared buffers and private memory "
         "grown while its overlay is up / its shared buffers after it", wlr_memory(wlr), "<= the frames + 10 %, none after"),
        ("X11 pick, 3840 x 2160: resident memory idle / after one pick / after ten picks / peak",
         "%.1f / %.1f / %.1f / %.1f MiB" % (resident["idle"], resident["after 1"], resident["after 10"],
                                            resident["peak"]), "after ten within 5 MB of after one"),
    ]


def paste_row():
    """Three pastes of a 100 MB clipboard under a private Xvfb, by
    bench/pastewait: the worst of their longest waits, and their times to
    the result."""
    server, display = start_xvfb()
    runtime = tempfile.mkdtemp(prefix="bench-paste-")
    try:
        env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime)
        env.pop("WAYLAND_DISPLAY", None)
        output = subprocess.run([os.path.join(build, "bench", "pastewait"), "100", "3"], env=env,
                                capture_output=True, text=True, timeout=300).stdout
    finally:
        stop(server)
        shutil.rmtree(runtime, ignore_errors=True)
    waits = [float(v) for v in re.findall(r"^longest-wait ([\d.]+)$", output, re.M)]
    results = [float(v) for v in re.findall(r"^result ([\d.]+)$", output, re.M)]
    if len(waits) != 3:
        sys.exit("pastewait failed:\n" + output)
    return "worst %.1f ms / %s ms" % (max(waits), ", ".join("%.0f" % r for r in results))


def print_picks(rows, load_after):
    print("5 processes of 4 picks each for each time, under Xvfb (load average %s after)\n" % load_after)
    print("| figure | now | target |\n|---|---|---|")
    for row in rows:
        print("| %s |" % " | ".join(row))


def load():
    with open("/proc/loadavg") as table:
        return table.read().split()[0]


names = ("bare", "text", "tintaro")
programs = {name: os.path.join(build, "bench", "startup_" + name) for name in names}
sessions = ("private", "desktop")
figures = {session: {name: {"map": [], "paint": [], "memory": []} for name in names} for session in sessions}
counts = {session: {} for session in sessions}
started = {}
# First, so that no large Xvfb of theirs is still going away while the
# start-up rounds run.
picks = [] if startup_only else pick_rows()
load_after_picks = load()
if picks_only:
    print_picks(picks, load_after_picks)
    sys.exit(0)
load_before = load()


def measure(session):
    """All rounds and the instruction counts of one session, under its own
    Xvfb and bus."""
    scratch = tempfile.mkdtemp(prefix="bench-%s-" % session)
    # Another Xvfb starting at the same moment on a shared machine can still
    # take the display number that ours was given; a new server gets a new
    # number.
    for attempt in range(3):
        server, display = start_xvfb()
        bus, bus_address = start_bus(scratch, session, display)
        env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb", DBUS_SESSION_BUS_ADDRESS=bus_address)
        for key in ("QT_SCALE_FACTOR", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY"):
            env.pop(key, None)
        try:
            for name in names:  # the font and library caches, once
                one_run(programs[name], env)
            break
        except NoFirstPaint as error:
            stop(bus)
            stop(server)
            if attempt == 2:
                sys.exit(str(error))
        except BaseException:
            # A program missing or interrupted: the servers go all the same.
            stop(bus)
            stop(server)
            raise
    try:
        for round in range(runs):
            for name in names[round % 3:] + names[:round % 3]:
                for figure, value in one_run(programs[name], env).items():
                    figures[session][name][figure].append(value)
        for name in names:
            counts[session][name] = instructions(programs[name], env, scratch)
        started[session] = started_services(bus_address)
    finally:
        # The bus first: what it started ends with it, or with the display.
        stop(bus)
        stop(server)
        shutil.rmtree(scratch, ignore_errors=True)


for session in sessions:
    measure(session)
load_after = load()


def print_whole():
    print("%d interleaved rounds of bare, text, Tintaro in each session (load average %s before, %s after); medians, "
          "and ratios as medians of per-round ratios (their middle half in brackets); instructions from one callgrind "
          "run each" % (runs, load_before, load_after))
    print("services the desktop session's runs started: %s\n" % (", ".join(started["desktop"]) or "none"))
    print("| figure | bare | text | Tintaro | Tintaro / text | Tintaro / bare | target |")
    print("|---|---:|---:|---:|---:|---:|---|")
    for row in whole:
        print("| %s |" % " | ".join(row))


def pairwise(session, figure, yardstick):
    """The median over rounds of Tintaro's figure divided by the yardstick's,
    with the middle half of the per-round ratios: on a loaded machine a time
    ratio moves by more than a tenth from one run of the bench to the next."""
    own = figures[session]
    ratios = [a / b for a, b in zip(own["tintaro"][figure], own[yardstick][figure])]
    quarters = statistics.quantiles(ratios, n=4) if len(ratios) > 1 else ratios * 3
    return "%.3f x (%.2f to %.2f)" % (statistics.median(ratios), quarters[0], quarters[2])


whole = []
for session in sessions:
    own = figures[session]
    for figure, label, unit, target in (("map", "exec to the map of the window", "ms", "<= 1.10 x the text window"),
                                        ("paint", "exec to the first paint", "ms", ""),
                                        ("memory", "peak resident memory", "MiB", "<= 1.05 x the text window")):
        whole.append(("%s: %s (%s)" % (session, label, unit),
                      *("%.1f" % statistics.median(own[name][figure]) for name in names),
                      pairwise(session, figure, "text"), pairwise(session, figure, "bare"), target))
    count = counts[session]
    if all(count.values()):
        for part, label in ((0, "instructions to the map request (M)"), (1, "instructions to the first paint (M)")):
            whole.append(("%s: %s" % (session, label), *("%.1f" % (count[name][part] / 1e6) for name in names),
                          "%.3f x" % (count["tintaro"][part] / count["text"][part]),
                          "%.3f x" % (count["tintaro"][part] / count["bare"][part]), ""))
if startup_only:
    print_whole()
    sys.exit(0)

runtime = tempfile.mkdtemp()
bus, bus_address = start_bus(runtime, "private", None)
handlers = subprocess.run([os.path.join(build, "bench", "bench_handlers"), "-maxwarnings", "0"],
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime,
                                   DBUS_SESSION_BUS_ADDRESS=bus_address),
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
stop(bus)
shutil.rmtree(runtime, ignore_errors=True)
results = dict(re.findall(r"RESULT : bench_Handlers::(\w+)\(\):\s+([\d.]+) msecs per iteration", handlers))
infos = dict(re.findall(r"BENCH ([\w-]+) ([\d.]+) ms", handlers))
if len(results) < 3 or len(infos) < 6:
    sys.exit("bench_handlers failed:\n" + handlers)


rows = [
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
    ("one change of the chooser's text colour on its background (figures, nearest passing colours, a simulation)",
     "%.2f us" % (float(results["pairChange"]) * 1000), "<= 50 us"),
    ("the colours of a 100 kB style sheet found, for a paste", "%.2f ms" % float(results["paletteOfAStyleSheet"]),
     "<= 5 ms"),
    ("palette paste of a 100 MB clipboard held by xclip: the event loop's longest wait / to the result shown",
     paste_row(), "<= 100 ms"),
]
print_whole()
print("\n| figure | now | target |\n|---|---|---|")
for row in rows:
    print("| %s |" % " | ".join(row))
print()
print_picks(picks, load_after_picks)
