#!/usr/bin/env python3
"""Times sorvek-cli /R (CSV to records), with one worker and with --jobs N, against dd bs=1M on
the same CSV, in one sitting: the CSV is the record-to-CSV output of the benchmark's 1 GiB
record files (one kind of 100-byte record; headers with detail lines), without options and with
UTF-8, quotes and trimming. The commands take turns, median of several rounds each; MB/s of
input, the ratio to dd, the peak memory, and whether the records made are the original records,
byte for byte. The aim of at least half of dd's throughput is checked for the text without
options, with one worker and with N; the text with options is timed for the record only.

usage: csv2rec.py SORVEK_CLI REC2CSV_TOOL [--size-mib N] [--runs N] [--jobs N] [--dir DIR]
"""
import argparse
import filecmp
import os
import subprocess

from bench_common import remove, report, timed_in_turns
from parallel import ensure


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("tool")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    parser.add_argument("--dir", default="/tmp/sorvek-bench-csv2rec")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    d = args.dir
    size = args.size_mib << 20
    cli = os.path.abspath(args.cli)
    out = f"{d}/out.dat"
    cases = [("one", ""), ("hd", ""), ("one", "--encoding utf-8 --quote minimal --trim")]
    met = []
    for kind, options in cases:
        subprocess.run([args.tool, "trd", kind, f"{d}/{kind}.trd"], check=True)
        ensure(f"{d}/{kind}.dat", size, lambda p, k=kind: subprocess.run(
            [args.tool, "gen", k, str(size // 1000000), p], check=True))
        csv = f"{d}/{kind}{'-options' if options else ''}.csv"
        if not os.path.exists(csv):
            subprocess.run(f"'{cli}' -q {options} /C {d}/{kind}.dat {csv} {d}/{kind}.trd",
                           shell=True, check=True)
        title = f"/R {kind}{' (' + options + ')' if options else ''}"
        runs = [(f"sorvek-cli --jobs {n} {title}", n) for n in sorted({1, args.jobs})]
        commands = [("dd", f"dd if={csv} of={d}/out.dd bs=1M status=none")]
        commands += [(name, f"'{cli}' -q --jobs {n} {options} /R {csv} {out} {d}/{kind}.trd")
                     for name, n in runs]
        print(f"\n{title}", flush=True)
        rows = timed_in_turns(commands, args.runs, before=remove(out))
        results = report(rows, os.path.getsize(csv), "dd")
        for name, n in runs:
            subprocess.run(f"'{cli}' -q --jobs {n} {options} /R {csv} {out} {d}/{kind}.trd",
                           shell=True, check=True)
            same = filecmp.cmp(out, f"{d}/{kind}.dat", shallow=False)
            speed = results["dd"][0] / results[name][0]
            # The aim holds for the record-to-CSV benchmark's own output, with one worker (the
            # default) and with all; the text with options is timed for the record.
            if not options:
                met.append((f"{name}: >= 0.5 x dd ({speed:.2f})", speed >= 0.5))
            met.append((f"{name}: peak < 16 MiB ({results[name][1] / 1024:.1f})",
                        results[name][1] < 16 * 1024))
            met.append((f"{name}: the original records, byte for byte", same))
        for path in (out, f"{d}/out.dd"):
            if os.path.exists(path):
                os.remove(path)
    print()
    for label, ok in met:
        print(f"{'meets' if ok else 'MISSES'}  {label}")


if __name__ == "__main__":
    main()
