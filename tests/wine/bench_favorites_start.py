"""Benchmark, not a test: how long Orv.exe takes under Wine from its start until its
main window shows, with 0, 20,000 and 100,000 lines in favorites.txt, for this build
and (optionally) a baseline Orv.exe, runs interleaved in one display.

    cd tests/wine && python3 bench_favorites_start.py [BASELINE_EXE] [RUNS]

The main window opens at start (settings), against the emulator's demo account. A run
that shows no window within 60 s counts as 60 s and is marked "never".
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from orvwine import EXE, WINE, Display, Emulator

MAIN = "^Orv - [^0-9]"
LIMIT = 60.0


def settings_file(path):
    # The default record with English texts and the main window opened at start.
    import struct
    values = [0, 0, 0, 1, 120, 200, 1160, 800, 1, 0, 1, 0, 10, 1, 0, 12, 1, 5, 1, 0, 0, 0, 0]
    with open(path, "wb") as f:
        f.write(struct.pack("<23i", *values))


def favorites_file(path, count):
    lines = "".join("Page %d;http://www.example.com/page/%d\r\n" % (i, i) for i in range(count))
    with open(path, "wb") as f:
        f.write(lines.encode("utf-16-le") + b"\0\0")


def one_run(display, exe, count):
    folder = tempfile.mkdtemp(prefix="orv-bench-")
    shutil.copy(exe, os.path.join(folder, "Orv.exe"))
    settings_file(os.path.join(folder, "orv.cfg"))
    if count:
        favorites_file(os.path.join(folder, "favorites.txt"), count)
    emulator = Emulator("demo.json", folder)
    with open(os.path.join(folder, "orv.service"), "w") as f:
        f.write(emulator.base + "\n")
    started = time.monotonic()
    proc = subprocess.Popen([WINE, os.path.join(folder, "Orv.exe")], cwd=folder, env=display.env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = None
    try:
        while shown is None and time.monotonic() - started < LIMIT:
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", MAIN], env=display.env,
                                 capture_output=True, text=True).stdout
            if out.strip():
                shown = time.monotonic() - started
            time.sleep(0.05)
    finally:
        proc.kill()
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=display.env)
        proc.wait()
        emulator.close()
        shutil.rmtree(folder, ignore_errors=True)
    return shown


def main():
    baseline = sys.argv[1] if len(sys.argv) > 1 and sys.argv[1] != "-" else None
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    variants = {"current": EXE}
    if baseline:
        variants = {"baseline": baseline, "current": EXE}
    display = Display()
    times = {}
    try:
        for _ in range(runs):
            for count in (0, 20000, 100000):
                for name, exe in variants.items():
                    shown = one_run(display, exe, count)
                    times.setdefault((name, count), []).append(shown if shown is not None else LIMIT)
                    print("%-8s %6d favourites: %s" % (name, count, "%.2f s" % shown if shown else "never"),
                          flush=True)
    finally:
        display.close()
    for name in variants:
        base = statistics.median(times[(name, 0)])
        for count in (20000, 100000):
            t = statistics.median(times[(name, count)])
            print("median %-8s %6d favourites: %.2f s (%.1f x the start without favourites, %.2f s)"
                  % (name, count, t, t / base, base))


if __name__ == "__main__":
    main()
