#!/usr/bin/env python3
"""Times every job of sorvek-cli with --jobs 1 and --jobs N against `dd bs=1M` on the same file,
in one run: the commands take turns, median of several rounds each. Files: 100-byte records of
one kind and of headers with details (made by rec2csv_tool), and a Shift-JIS-like text file for
/E and /L. Prints MB/s of input, the ratio to dd, the ratio of --jobs N to --jobs 1, the peak
memory, and whether --jobs N wrote the bytes of --jobs 1; then the targets met or not.

usage: parallel.py SORVEK_CLI REC2CSV_TOOL [--size-mib N] [--runs N] [--jobs N] [--dir DIR]
                   [--package BUILD/python]   (then also the Dask path, one worker against two)
"""
import argparse
import filecmp
import os
import subprocess
import sys

from bench_common import remove, report, timed_in_turns
from text_jobs import make_text_file


def ensure(path, size, make):
    if not os.path.exists(path) or os.path.getsize(path) < size * 0.9:
        print(f"making {path}", flush=True)
        make(path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("tool")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--dir", default="/tmp/sorvek-bench-parallel")
    parser.add_argument("--package", help="the built Python package's folder: time Dask too")
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
    cases = [
        ("/C one", f"{d}/one.dat", lambda j, o: f"/C {d}/one.dat {o} {d}/one.trd"),
        ("/C header/detail", f"{d}/hd.dat", lambda j, o: f"/C {d}/hd.dat {o} {d}/hd.trd"),
        ("/E LF", f"{d}/text.txt", lambda j, o: f"/E {d}/text.txt {o} LF"),
        ("/L 80", f"{d}/text.txt", lambda j, o: f"/L {d}/text.txt {o} 80"),
    ]
    met = []
    print(f"load before the runs: {os.getloadavg()}")
    for title, data, job in cases:
        out1, outn = f"{d}/out.jobs1", f"{d}/out.jobs{n}"
        commands = [
            ("dd", f"dd if={data} of={d}/out.dd bs=1M status=none"),
            (f"sorvek-cli --jobs 1 {title}", f"{args.cli} -q --jobs 1 {job(1, out1)}"),
            (f"sorvek-cli --jobs {n} {title}", f"{args.cli} -q --jobs {n} {job(n, outn)}"),
        ]

        def before():
            for path in (f"{d}/out.dd", out1, outn):
                remove(path)()

        print(f"== {title}: {os.path.getsize(data)} bytes, median of {args.runs} runs")
        rows = timed_in_turns(commands, args.runs, before)
        # One more run of each to compare the bytes (the timed runs remove their outputs).
        subprocess.run(f"{args.cli} -q --jobs 1 {job(1, out1)}", shell=True, check=True)
        subprocess.run(f"{args.cli} -q --jobs {n} {job(n, outn)}", shell=True, check=True)
        same = filecmp.cmp(out1, outn, shallow=False)
        results = report(rows, os.path.getsize(data), "dd")
        dd = results["dd"][0]
        one, one_kib = results[commands[1][0]]
        many, many_kib = results[commands[2][0]]
        print(f"  --jobs {n} / dd = {dd / many:.2f} (at least 0.80 wanted); "
              f"--jobs {n} / --jobs 1 = {one / many:.2f}"
              + (" (at least 1.60 wanted)" if title.startswith("/C") else "")
              + f"; peak {many_kib / 1024:.1f} MiB (under 32 wanted); same bytes: {same}")
        met.append((title, dd / many >= 0.8, not title.startswith("/C") or one / many >= 1.6,
                    many_kib < 32 * 1024, same))
        for path in (f"{d}/out.dd", out1, outn):
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
    print("targets (x dd, x --jobs 1, memory, same bytes):")
    for title, *flags in met:
        print(f"  {title:18} " + "  ".join("met" if f else "NOT MET" for f in flags))


if __name__ == "__main__":
    main()
