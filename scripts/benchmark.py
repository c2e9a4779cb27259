#!/usr/bin/env python3
"""Measures the real Orvalis.exe under Wine and prints its figures.

  overhead ratio  wall time to convert N files, divided by N x 2 x V1, the
                  time the program's own waits take for N successful files
  idle CPU        CPU time the process used while idle, over 60 s, V2 = 100 ms
  peak memory     the process's peak resident set (VmHWM), Wine's runtime included

Run through scripts/benchmark.sh, which builds and sets the environment.
"""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import App, tray_icon_shown, wait_until  # noqa: E402

N = 100
V1 = 200
IDLE_SECONDS = 60
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


def main():
    app = App("benchmark")
    drop = app.make_folder("Drop")
    store = app.make_folder("Store")
    staging = app.make_folder("staging")
    app.write_ini(drop, store, v1=V1, v2=100)
    for i in range(N):
        with open(os.path.join(staging, "fax%03d.awd" % i), "w") as f:
            f.write("ok")
    pid = app.start().pid
    try:
        wait_until(tray_icon_shown, 60, "the tray icon")

        # Idle first, with the drop folder empty and polling every 100 ms.
        time.sleep(2)
        cpu_before = cpu_seconds(pid)
        time.sleep(IDLE_SECONDS)
        idle_cpu = (cpu_seconds(pid) - cpu_before) / IDLE_SECONDS * 100

        started = time.monotonic()
        for name in sorted(os.listdir(staging)):
            os.rename(os.path.join(staging, name), os.path.join(drop, name))
        wait_until(lambda: not os.listdir(drop) and len(os.listdir(store)) == N, 600,
                   "all files to be converted")
        wall = time.monotonic() - started
        waits = N * 2 * V1 / 1000
        peak = peak_resident_kib(pid)
        failures = (app.read("Orvalis.err") or b"").count(b"ERROR:")
    finally:
        app.kill()
        shutil.rmtree(app.folder, ignore_errors=True)

    print("files converted:        %d (V1 = %d ms), %d failed attempts" % (N, V1, failures))
    print("wall time:              %.2f s" % wall)
    print("waits alone (N x 2 V1): %.2f s" % waits)
    print("overhead ratio:         %.3f" % (wall / waits))
    print("idle CPU (V2 = 100 ms): %.2f %% of one core over %d s" % (idle_cpu, IDLE_SECONDS))
    print("peak resident set:      %.1f MiB (Wine's runtime included)" % (peak / 1024))


if __name__ == "__main__":
    main()
