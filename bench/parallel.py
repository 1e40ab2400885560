#!/usr/bin/env python3
"""Times every job of sorvek-cli with --jobs 1, --jobs N and no --jobs (the count the program
chooses for the machine) against `dd bs=1M` on the same file, in one run: the commands take
turns, median of several rounds each. Files: 100-byte records of one kind and of headers with
details (made by rec2csv_tool), and a Shift-JIS-like text file for /E and /L; the check of the
records too. Prints MB/s of input, the ratio to dd, the ratios between the worker counts, the
peak memory, and whether every count wrote the same bytes; then the targets met or not: --jobs N
at least 0.95 x --jobs 1, the default at least 0.95 x the better of the two, memory under 32 MiB.
With --taskset CPUS every command runs on those processors alone (taskset -c), as on a machine
of that many cores. --before CLI adds the same rows for another build of sorvek-cli.

usage: parallel.py SORVEK_CLI REC2CSV_TOOL [--size-mib N] [--runs N] [--jobs N] [--dir DIR]
                   [--taskset CPUS] [--before CLI] [--only TITLE]
                   [--package BUILD/python]   (then also the Dask path, one worker against two)
"""
import argparse
import hashlib
import os
import subprocess
import sys

from bench_common import ensure, remove, report, timed_in_turns
from text_jobs import make_text_file


def digest_of(f):
    h = hashlib.sha256()
    for chunk in iter(lambda: f.read(1 << 20), b""):
        h.update(chunk)
    return h.hexdigest()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("tool")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--dir", default="/tmp/sorvek-bench-parallel")
    parser.add_argument("--package", help="the built Python package's folder: time Dask too")
    parser.add_argument("--taskset", help="processors every command runs on (taskset -c)")
    parser.add_argument("--before", help="another sorvek-cli timed in the same rounds")
    parser.add_argument("--only", help="the cases whose title starts so (e.g. /E)")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    size = args.size_mib << 20
    megabytes = str(size // 1000000)
    d = args.dir
    for kind in ("one", "hd"):
        subprocess.run([args.tool, "trd", kind, f"{d}/{kind}.trd"], check=True)
        ensure(f"{d}/{kind}.dat", size,
               lambda p, k=kind: subprocess.run([args.tool, "gen", k, megabytes, p], check=True))
    ensure(f"{d}/text.txt", size, lambda p: make_text_file(p, size))

    n = args.jobs
    pin = f"taskset -c {args.taskset} " if args.taskset else ""
    cases = [
        ("/C one", f"{d}/one.dat", lambda o: f"/C {d}/one.dat {o} {d}/one.trd"),
        ("/C header/detail", f"{d}/hd.dat", lambda o: f"/C {d}/hd.dat {o} {d}/hd.trd"),
        ("/E LF", f"{d}/text.txt", lambda o: f"/E {d}/text.txt {o} LF"),
        ("/L 80", f"{d}/text.txt", lambda o: f"/L {d}/text.txt {o} 80"),
        ("--check one", f"{d}/one.dat", lambda o: f"--check --json {d}/one.dat {d}/one.trd > {o}"),
    ]
    if args.only:
        cases = [case for case in cases if case[0].startswith(args.only)]
    counts = [("--jobs 1", "--jobs 1"), (f"--jobs {n}", f"--jobs {n}"), ("default", "")]
    programs = [("", args.cli)] + ([("before ", args.before)] if args.before else [])
    met = []
    print(f"load before the runs: {os.getloadavg()}" + (f"; on processors {args.taskset}" if pin else ""))
    for title, data, job in cases:
        outputs = {}
        commands = [("dd", f"{pin}dd if={data} of={d}/out.dd bs=1M status=none")]
        for tag, cli in programs:
            for name, option in counts:
                out = f"{d}/out.{tag.strip() or 'new'}.{name.replace(' ', '').replace('-', '')}"
                outputs[tag + name] = out
                commands.append((f"{tag}sorvek-cli {name} {title}",
                                 f"{pin}{cli} -q {option} {job(out)}"))

        def before():
            for path in [f"{d}/out.dd"] + list(outputs.values()):
                remove(path)()

        print(f"== {title}: {os.path.getsize(data)} bytes, median of {args.runs} runs")
        rows = timed_in_turns(commands, args.runs, before)
        # One more run of each to compare the bytes (the timed runs remove their outputs), one
        # output at a time on the disk.
        digests = set()
        for (_, command), out in zip(commands[1:], outputs.values()):
            subprocess.run(command, shell=True, check=True)
            with open(out, "rb") as f:
                digests.add(hashlib.file_digest(f, "sha256").hexdigest()
                            if hasattr(hashlib, "file_digest") else digest_of(f))
            os.remove(out)
        same = len(digests) == 1
        results = report(rows, os.path.getsize(data), "dd")
        dd = results["dd"][0]
        for tag, _ in programs:
            one, _ = results[f"{tag}sorvek-cli --jobs 1 {title}"]
            many, _ = results[f"{tag}sorvek-cli --jobs {n} {title}"]
            chosen, _ = results[f"{tag}sorvek-cli default {title}"]
            peak = max(results[f"{tag}sorvek-cli {name} {title}"][1] for name, _ in counts)
            print(f"  {tag}--jobs 1 / dd = {dd / one:.2f}; --jobs {n} / --jobs 1 = {one / many:.2f}"
                  f" (at least 0.95 wanted); default / better = {min(one, many) / chosen:.2f}"
                  f" (at least 0.95 wanted); peak {peak / 1024:.1f} MiB")
            met.append((tag + title, one / many >= 0.95, min(one, many) / chosen >= 0.95,
                        peak < 32 * 1024, same))
        print(f"  same bytes for every count{' and build' if args.before else ''}: {same}")
        for path in [f"{d}/out.dd"] + list(outputs.values()):
            if os.path.exists(path):
                os.remove(path)
    if args.package:
        reference = f"{d}/dask-reference.csv"
        subprocess.run(f"{args.cli} -q /C {d}/one.dat {reference} {d}/one.trd", shell=True,
                       check=True)
        here = os.path.dirname(os.path.abspath(__file__))
        subprocess.run([sys.executable, os.path.join(here, "dask_parallel.py"), args.package,
                        f"{d}/one.dat", f"{d}/one.trd", "--runs", str(args.runs),
                        "--reference", reference], check=True)
        os.remove(reference)
    print(f"load after the runs: {os.getloadavg()}")
    print(f"targets (--jobs {n} vs 1, default vs better, memory, same bytes):")
    for title, *flags in met:
        print(f"  {title:25} " + "  ".join("met" if f else "NOT MET" for f in flags))


if __name__ == "__main__":
    main()
