"""Shared pieces of the command-line benchmarks: timing with peak memory, medians, the table."""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def ensure(path, size, make):
    """Makes the input file `path` with `make(path)` unless it holds about `size` bytes already."""
    if not os.path.exists(path) or os.path.getsize(path) < size * 0.9:
        print(f"making {path}", flush=True)
        make(path)


def timed(command, runs, before=None):
    """Runs a shell command `runs` times; returns (median seconds, peak resident KiB)."""
    times, peaks = [], []
    for _ in range(runs):
        if before:
            before()
        with tempfile.NamedTemporaryFile(mode="r", suffix=".time") as report:
            # The wall time to the microsecond (time's own is in hundredths, too coarse for runs
            # of half a second that differ by a few per cent).
            start = time.perf_counter()
            result = subprocess.run(
                ["/usr/bin/time", "-f", "%e %M", "-o", report.name, "sh", "-c", command],
                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            seconds = time.perf_counter() - start
            if result.returncode != 0:
                sys.exit(f"failed ({result.returncode}): {command}\n{result.stderr.decode(errors='replace')}")
            _, kib = report.read().split()
            times.append(seconds)
            peaks.append(int(kib))
    return statistics.median(times), max(peaks)


def timed_in_turns(commands, runs, before=None):
    """Times every (name, command) once per round, `runs` rounds, so that a burst of other work
    on the machine falls on all of them alike. Returns [(name, median seconds, peak KiB)]."""
    times = {name: [] for name, _ in commands}
    peaks = {name: 0 for name, _ in commands}
    for round_ in range(runs):
        # Each round starts one command later, so that no command always follows the same one
        # (the writing back and freeing of the output before it, the page cache's state).
        shift = round_ % len(commands)
        for name, command in commands[shift:] + commands[:shift]:
            secs, kib = timed(command, 1, before)
            times[name].append(secs)
            peaks[name] = max(peaks[name], kib)
    return [(name, statistics.median(times[name]), peaks[name]) for name, _ in commands]


def remove(path):
    """Before a run: the previous output goes, and dirty pages are written back, so that no run
    pays for the writes of the one before it."""
    def run():
        if os.path.exists(path):
            os.remove(path)
        os.sync()
    return run


def report(rows, input_bytes, baseline):
    """Prints MB/s of input, the ratio to the baseline row and peak memory."""
    base = dict((name, secs) for name, secs, _ in rows)[baseline]
    print(f"{'command':58} {'median s':>9} {'MB/s':>9} {'x ' + baseline:>8} {'peak MiB':>9}")
    for name, secs, kib in rows:
        mbs = input_bytes / 1e6 / secs if secs > 0 else float("inf")
        ratio = base / secs if secs > 0 else float("inf")
        print(f"{name:58} {secs:9.3f} {mbs:9.0f} {ratio:8.2f} {kib / 1024:9.1f}")
    return dict((name, (secs, kib)) for name, secs, kib in rows)
