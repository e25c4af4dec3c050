"""Benchmark, not a test: the wall time of the first refresh of the demo account under
Wine, against the current emulator and against the emulator of an older revision
(the baseline), runs interleaved in one display.

    cd tests/wine && python3 bench_first_refresh.py [BASELINE_REV] [RUNS]

The time runs from the log's "Updating data from Facebook" to "End of update from
Facebook", both seen by polling the log every 20 ms.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tarfile
import tempfile
import time

from orvwine import EXE, ROOT, SERVE, WINE, Display, Emulator

START = "Updating data from Facebook"
END = "End of update from Facebook"


def emulator_at(revision, into):
    """serve.py of the emulator as it was at `revision`."""
    archive = subprocess.run(["git", "-C", ROOT, "archive", revision, "tools/emulator"],
                             check=True, capture_output=True).stdout
    path = os.path.join(into, "emulator.tar")
    with open(path, "wb") as f:
        f.write(archive)
    with tarfile.open(path) as tar:
        tar.extractall(into)
    return os.path.join(into, "tools", "emulator", "serve.py")


def settings_file(path):
    # The default record with English texts, the main window and notices off.
    import struct
    values = [0, 0, 0, 1, 120, 200, 1160, 800, 1, 0, 0, 0, 10, 1, 0, 12, 1, 5, 1, 0, 0, 0, 0]
    with open(path, "wb") as f:
        f.write(struct.pack("<23i", *values))


def one_run(display, serve):
    folder = tempfile.mkdtemp(prefix="orv-bench-")
    shutil.copy(EXE, folder)
    log = os.path.join(folder, "orv.log")
    settings_file(os.path.join(folder, "orv.cfg"))
    emulator = Emulator("demo.json", folder, serve=serve)
    with open(os.path.join(folder, "orv.service"), "w") as f:
        f.write(emulator.base + "\n")
    env = dict(display.env, ORV_LOG_FILE=log)
    proc = subprocess.Popen([WINE, os.path.join(folder, "Orv.exe")], cwd=folder, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started = ended = None
    deadline = time.monotonic() + 120
    try:
        while ended is None and time.monotonic() < deadline:
            text = ""
            if os.path.exists(log):
                with open(log, encoding="utf-8") as f:
                    text = f.read()
            now = time.monotonic()
            if started is None and START in text:
                started = now
            if started is not None and END in text:
                ended = now
            time.sleep(0.02)
    finally:
        proc.kill()
        subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=display.env)
        proc.wait()
        emulator.close()
        shutil.rmtree(folder, ignore_errors=True)
    if ended is None:
        raise RuntimeError("the first refresh did not end")
    return ended - started


def main():
    revision = sys.argv[1] if len(sys.argv) > 1 else "ff6ee8f"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    old = tempfile.mkdtemp(prefix="orv-baseline-")
    display = Display()
    times = {"baseline": [], "current": []}
    try:
        variants = {"baseline": emulator_at(revision, old), "current": SERVE}
        for _ in range(runs):
            for name, serve in variants.items():
                times[name].append(one_run(display, serve))
                print("%-8s %.2f s" % (name, times[name][-1]), flush=True)
    finally:
        display.close()
        shutil.rmtree(old, ignore_errors=True)
    base, now = statistics.median(times["baseline"]), statistics.median(times["current"])
    print("median first refresh: baseline (%s) %.2f s, current %.2f s, ratio %.2f"
          % (revision, base, now, now / base))


if __name__ == "__main__":
    main()
