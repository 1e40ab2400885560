#!/usr/bin/env python3
"""Times two builds of sorvek-cli against each other, job by job, on the same files in one
sitting: every job of both builds takes its turn in each round (so that the machine's load falls
on both alike), with one worker and with N. Prints the medians, NEW / OLD and whether NEW is
within the allowed slowdown; exits 1 when a job is slower than that.

usage: compare.py OLD_CLI NEW_CLI REC2CSV_TOOL [--size-mib N] [--runs N] [--jobs N]
                  [--slower PERCENT] [--dir DIR]

Put --dir on a tmpfs (mount -t tmpfs -o size=8G tmpfs DIR): on a disk, the writing back of the
last run's output spreads over the next runs and their times by tens of per cent. Where even a
tmpfs's page allocation varies from run to run (seen as system time), --output /dev/null times
the conversions alone.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

from bench_common import remove, timed
from parallel import ensure
from text_jobs import make_text_file


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("tool")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--slower", type=float, default=3.0)
    parser.add_argument("--dir", default="/tmp/sorvek-bench-parallel")
    parser.add_argument("--only", help="the jobs whose title starts with this, alone")
    parser.add_argument("--output", help="where the jobs write (default: a file in --dir); "
                        "/dev/null leaves the file system's page allocation out of the times")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    d = args.dir
    size = args.size_mib << 20
    for kind in ("one", "hd"):
        subprocess.run([args.tool, "trd", kind, f"{d}/{kind}.trd"], check=True)
        ensure(f"{d}/{kind}.dat", size, lambda p, k=kind: subprocess.run(
            [args.tool, "gen", k, str(size // 1000000), p], check=True))
    ensure(f"{d}/text.txt", size, lambda p: make_text_file(p, size))

    out = args.output or f"{d}/out.compare"
    options = "--encoding utf-8 --quote minimal --trim"
    jobs = [
        ("/C one", f"/C {d}/one.dat {out} {d}/one.trd"),
        ("/C header/detail", f"/C {d}/hd.dat {out} {d}/hd.trd"),
        ("/C one, options", f"{options} /C {d}/one.dat {out} {d}/one.trd"),
        ("/E CRLF", f"/E {d}/text.txt {out} CRLF"),
        ("/E LF", f"/E {d}/text.txt {out} LF"),
        ("/L 80", f"/L {d}/text.txt {out} 80"),
        ("/L 0", f"/L {d}/text.txt {out} 0"),
        ("--check records", f"--check {d}/hd.dat {d}/hd.trd >/dev/null"),
        ("--check text", f"--check {d}/text.txt >/dev/null"),
    ]
    if args.only:
        jobs = [(title, job) for title, job in jobs if title.startswith(args.only)]
    workers = sorted({1, args.jobs})
    commands = []
    for title, job in jobs:
        for n in workers:
            for build, cli in (("old", args.old), ("new", args.new)):
                # A check that finds problems exits 1; its time counts all the same.
                commands.append(((title, n, build), f"{cli} -q --jobs {n} {job} || [ $? -eq 1 ]"))
    for data in ("one.dat", "hd.dat", "text.txt"):
        timed(f"cat {d}/{data} >/dev/null", 1)  # into the page cache

    times = {key: [] for key, _ in commands}
    print(f"load before the runs: {os.getloadavg()}", flush=True)
    # Only a file of ours is removed between runs, never a device named as the output.
    clear = remove(out) if not args.output else os.sync
    for round in range(args.runs):
        # The builds take turns at going first, so that neither always runs on the heels of
        # the other's writes.
        ordered = commands if round % 2 == 0 else [
            pair for i in range(0, len(commands), 2) for pair in (commands[i + 1], commands[i])]
        for key, command in ordered:
            clear()
            # Wall time to the microsecond: the time tool's hundredths are too coarse for a few
            # per cent of a second or two.
            start = time.perf_counter()
            run = subprocess.run(["sh", "-c", command], stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE)
            seconds = time.perf_counter() - start
            if run.returncode != 0:
                sys.exit(f"failed ({run.returncode}): {command}\n{run.stderr.decode()}")
            times[key].append(seconds)
        print(f"round {round + 1} of {args.runs} done", flush=True)

    print(f"\n{'job':22} {'jobs':>4} {'old s':>8} {'new s':>8} {'new/old':>8}")
    worst = 0.0
    for title, _ in jobs:
        for n in workers:
            old = statistics.median(times[(title, n, "old")])
            new = statistics.median(times[(title, n, "new")])
            ratio = new / old if old > 0 else 1.0
            worst = max(worst, ratio)
            flag = "" if ratio <= 1 + args.slower / 100 else f"  SLOWER by more than {args.slower}%"
            print(f"{title:22} {n:>4} {old:8.3f} {new:8.3f} {ratio:8.3f}{flag}")
    print(f"\nslowest new/old: {worst:.3f} (allowed {1 + args.slower / 100:.3f})")
    if not args.output and os.path.exists(out):
        os.remove(out)
    sys.exit(0 if worst <= 1 + args.slower / 100 else 1)


if __name__ == "__main__":
    main()
