#!/usr/bin/env python3
"""Measures the real Orvalis.exe under Wine and prints its figures.

  overhead  wall time to convert 100 files at V1 = 200 ms, divided by
            100 x 2 x V1, the time the program's own waits take for them;
            in the same run the CPU time it used while idle, over 60 s at
            V2 = 100 ms, and its peak resident set (VmHWM), Wine's included
  backlog   seconds per fax for 50 files moved into the drop folder at once,
            V1 = 500 ms, until the folder is empty and 50 TIFs are stored,
            and the failed attempts logged meanwhile
  pickup    from a file's rename into the drop folder until the converter is
            called, V2 = 5000 ms; 10 drops, each after the one before is
            done, at seeded random offsets to the poll; and, where the
            program reserves numbers, until the fax's number is reserved
  waiting   seconds and Orvalis's own CPU milliseconds per fax, over 25 faxes
            taken from 30 and from 5000 moved into the drop folder at once,
            V1 = 200 ms, V2 = 300 ms, seven times in turns: what every
            waiting file adds to a fax
  menu      from a right click on the tray icon until the popup menu is open,
            while a pass waits (V1 = 4000 ms), and while idle: the baseline,
            what sending the click and polling for the menu cost by themselves
  close     from the menu's "Close" until the process has ended, V1 = 4000 ms:
            when idle (the baseline: what removing the icon costs by itself),
            while a converter still writes, and in the pause after a fax
  idle      the CPU time used while idle over 60 s at V2 = 100 ms, the drop
            folder empty, by Orvalis and, in the same run, by a bare tray
            program (an icon and a 100 ms timer that does nothing): what
            watching and polling cost beyond what Wine costs any program
  looks     50 files at V1 = 200 ms: seconds per fax, and how many needed a
            second look: those whose AWD went more than 3.5 x V1 after the
            one before, where a first look that decides takes at most
            V1 + the V1 pause + the start of cmd.exe (about 0.2 s)

Run as scripts/benchmark.sh [FIGURE...], which builds and sets the
environment; without FIGUREs it prints them all.
"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import App, click_tray, menu_open, tray_icon_shown, wait_until, xdo  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS  # utime + stime


def peak_resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def running(name, measure, v1, v2):
    """measure(app, pid) on a freshly started program with its own folders."""
    wait_until(lambda: not tray_icon_shown(), 20, "the tray icon of the run before to go")
    app = App("benchmark " + name)
    app.write_ini(v1=v1, v2=v2)
    pid = app.start().pid
    try:
        wait_until(tray_icon_shown, 60, "the tray icon")
        return measure(app, pid)
    finally:
        app.kill()
        shutil.rmtree(app.folder, ignore_errors=True)


def staged(app, count):
    """count faxes that convert at once, written beside the drop folder to be moved in:
    a rename is atomic, so the program never sees one half written."""
    staging = app.make_folder("staging")
    app.put(*["fax%03d.awd" % i for i in range(count)], folder=staging)
    return staging, sorted(os.listdir(staging))


def move_in(app, staging, names):
    for name in names:
        os.rename(os.path.join(staging, name), os.path.join(app.drop, name))


def seconds_until(started, condition, timeout, what):
    """Seconds from started (time.monotonic()) until condition holds, looked at every 10 ms."""
    wait_until(condition, timeout, what, step=0.01)
    return time.monotonic() - started


def called_since(app, calls):
    return lambda: len(app.converter_calls()) > calls


def convert_all(app, count):
    """Seconds to convert count staged faxes, and the failed attempts logged. A failed
    attempt may leave a TIF behind and keeps its fax for another try: the empty drop
    folder is what says that all are done."""
    staging, names = staged(app, count)
    started = time.monotonic()
    move_in(app, staging, names)
    wall = seconds_until(started, lambda: not app.dropped() and len(os.listdir(app.store)) >= count,
                         30 + count * 10, "all files to be converted")
    return wall, app.log().count("ERROR:")


def spread(delays):
    return "median %.2f s, max %.2f s (each: %s)" % (
        statistics.median(delays), max(delays), " ".join("%.2f" % d for d in delays))


def overhead():
    n, v1, idle_seconds = 100, 200, 60

    def measure(app, pid):
        # Idle first, with the drop folder empty and polling every 100 ms.
        time.sleep(2)
        cpu_before = cpu_seconds(pid)
        time.sleep(idle_seconds)
        idle_cpu = (cpu_seconds(pid) - cpu_before) / idle_seconds * 100
        return convert_all(app, n) + (idle_cpu, peak_resident_kib(pid))

    wall, failures, idle_cpu, peak = running("overhead", measure, v1=v1, v2=100)
    waits = n * 2 * v1 / 1000
    print("files converted:        %d (V1 = %d ms), %d failed attempts" % (n, v1, failures))
    print("wall time:              %.2f s" % wall)
    print("waits alone (N x 2 V1): %.2f s" % waits)
    print("overhead ratio:         %.3f" % (wall / waits))
    print("idle CPU (V2 = 100 ms): %.2f %% of one core over %d s" % (idle_cpu, idle_seconds))
    print("peak resident set:      %.1f MiB (Wine's runtime included)" % (peak / 1024))


def idle():
    seconds = 60

    def measure(app, pid):
        bare = subprocess.Popen(["wine", os.environ["ORVALIS_PROBE"], "tray", "100"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            # The probe runs under Wine's loader: its pid is that of the program.
            time.sleep(5)
            before = cpu_seconds(pid), cpu_seconds(bare.pid)
            time.sleep(seconds)
            after = cpu_seconds(pid), cpu_seconds(bare.pid)
        finally:
            bare.kill()
        return [(a - b) / seconds * 100 for a, b in zip(after, before)]

    ours, bare = running("idle", measure, v1=500, v2=100)
    print("idle CPU, V2 = 100 ms, over %d s: Orvalis %.2f %%, a bare tray program %.2f %%, "
          "%.2f points above it" % (seconds, ours, bare, ours - bare))


def backlog():
    n, v1 = 50, 500
    wall, failures = running("backlog", lambda app, pid: convert_all(app, n), v1=v1, v2=100)
    print("backlog, per fax:       %.3f s (%d faxes at V1 = %d ms in %.2f s), %d failed attempts"
          % (wall / n, n, v1, wall, failures))


def pickup():
    drops, v2 = 10, 5000

    def measure(app, pid):
        staging, names = staged(app, drops)
        pace = random.Random(15)
        delays, taken = [], []
        for name in names:
            # Each drop at another point of the poll's period.
            time.sleep(pace.uniform(0, v2 / 1000))
            calls, seen = len(app.converter_calls()), []
            started = time.monotonic()
            move_in(app, staging, [name])

            def called():
                # The marker that reserves the fax's number, where the program
                # makes one, says when it took the fax, before cmd.exe starts.
                if not seen and any(n.endswith(".lock") for n in os.listdir(app.store)):
                    seen.append(time.monotonic() - started)
                return called_since(app, calls)()

            delays.append(seconds_until(started, called, 30 + v2 / 1000, "the converter"))
            taken += seen
            wait_until(lambda: not app.dropped(), 120, "the fax to be converted")
        return delays, taken, app.log().count("ERROR:")

    delays, taken, failures = running("pickup", measure, v1=500, v2=v2)
    print("pick-up, V2 = %d ms:  %s, %d failed attempts" % (v2, spread(delays), failures))
    if taken:
        print("  number reserved:      %s" % spread(taken))


def waiting():
    v1, v2, skipped, timed, rounds = 200, 300, 5, 25, 7

    def stored(app):
        return sum(name.endswith(".tif") for name in os.listdir(app.store))

    def per_fax(app, pid, count):
        """Seconds and CPU milliseconds per fax, from the end of the moving in and the
        pass's start (the first faxes) over the next timed ones."""
        staging, names = staged(app, count)
        move_in(app, staging, names)
        wait_until(lambda: stored(app) >= skipped, 120, "the first faxes", step=0.01)
        started, cpu = time.monotonic(), cpu_seconds(pid)
        wall = seconds_until(started, lambda: stored(app) >= skipped + timed, 30 + timed * 10,
                             "the timed faxes")
        return wall / timed, (cpu_seconds(pid) - cpu) * 1000 / timed, app.log().count("ERROR:")

    # Taken in turns, as the machine's load comes and goes; the median of each.
    figures = {30: [], 5000: []}
    for _ in range(rounds):
        for count in figures:
            wall, cpu, failures = running("waiting", lambda app, pid: per_fax(app, pid, count),
                                          v1=v1, v2=v2)
            figures[count].append((wall, cpu))
            print("  %4d waiting:         %.3f s, %.1f ms CPU, %d failed attempts"
                  % (count, wall, cpu, failures))
    medians = {}
    for count, runs in figures.items():
        medians[count] = [statistics.median(run[i] for run in runs) for i in (0, 1)]
        print("%4d waiting, per fax:   %.3f s, %.1f ms Orvalis CPU (median of %d runs of %d "
              "faxes, V1 = %d ms)" % (count, *medians[count], len(runs), timed, v1))
    (few_wall, few_cpu), (many_wall, many_cpu) = medians[30], medians[5000]
    print("5000 against 30:        time per fax %+.1f %%, CPU per fax %.2f times"
          % ((many_wall / few_wall - 1) * 100, many_cpu / few_cpu))


def menu():
    clicks, v1 = 5, 4000

    def delays(app, in_pass):
        result = []
        for i in range(clicks):
            if in_pass:  # a fax that converts, and its pass in its waits
                calls = len(app.converter_calls())
                app.put("fax%d.awd" % i)
                wait_until(called_since(app, calls), 30, "the converter to be called")
            click_tray(3)  # returns once the click is sent
            result.append(seconds_until(time.monotonic(), menu_open, 60, "the popup menu"))
            xdo("key", "Escape")
            wait_until(lambda: not menu_open(), 20, "the menu to close")
        return result

    idle, in_pass = running("menu", lambda app, pid: (delays(app, False), delays(app, True)),
                            v1=v1, v2=300)
    print("menu, idle (baseline):  %s" % spread(idle))
    print("menu, in a pass:        %s, V1 = %d ms" % (spread(in_pass), v1))


def close():
    v1 = 4000

    def measure(app, pid, words):
        if words:
            app.put("fax.awd", content=words)
            wait_until(called_since(app, 0), 30, "the converter to be called")
        if words == "ok":  # into the pause after it
            wait_until(lambda: not app.dropped(), 30, "the fax to be converted")
        click_tray(3)
        wait_until(menu_open, 20, "the popup menu")
        started = time.monotonic()
        xdo("key", "c")
        return seconds_until(started, lambda: app.processes[-1].poll() is not None, 60, "the end")

    for words, when in (("", "when idle"), ("slow 8000", "while a converter writes"),
                        ("ok", "in the pause after a fax")):
        took = running("close", lambda app, pid: measure(app, pid, words), v1=v1, v2=300)
        print("close, V1 = %d ms, %s: %.2f s" % (v1, when, took))


def looks():
    n, v1 = 50, 200

    def measure(app, pid):
        staging, names = staged(app, n)
        started = time.monotonic()
        move_in(app, staging, names)
        gone, left = [], set(names)
        while left:  # when each AWD goes, looked at every 5 ms
            now = time.monotonic()
            if now - started > 30 + n * 10:
                raise AssertionError("timed out converting the backlog")
            for name in left - set(app.dropped()):
                gone.append(now)
                left.discard(name)
            time.sleep(0.005)
        gaps = [b - a for a, b in zip([started] + gone, gone)]
        return gone[-1] - started, sum(gap > 3.5 * v1 / 1000 for gap in gaps[1:])

    wall, second = running("looks", measure, v1=v1, v2=100)
    print("looks, V1 = %d ms:     %.3f s per fax, %d of %d needed a second look"
          % (v1, wall / n, second, n))


FIGURES = {"overhead": overhead, "backlog": backlog, "waiting": waiting, "pickup": pickup,
           "menu": menu, "close": close, "looks": looks, "idle": idle}


def main():
    chosen = sys.argv[1:] or list(FIGURES)
    unknown = [name for name in chosen if name not in FIGURES]
    if unknown:
        sys.exit("unknown figure %s; choose from: %s" % (", ".join(unknown), " ".join(FIGURES)))
    for name in chosen:
        FIGURES[name]()


if __name__ == "__main__":
    main()
