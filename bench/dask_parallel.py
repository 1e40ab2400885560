#!/usr/bin/env python3
"""Times sorvek.dask.convert on a local cluster of one worker process and of two (one thread
each), on the same file, in turns; prints MB/s, the ratio (at least 1.5 wanted) and whether the
outputs are the bytes of sorvek-cli's.

usage: dask_parallel.py PACKAGE_DIR DATA DEFINITION [--runs N] [--reference CSV]
"""
import argparse
import filecmp
import os
import statistics
import sys
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("package")
    parser.add_argument("data")
    parser.add_argument("definition")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--reference")
    args = parser.parse_args()
    sys.path.insert(0, args.package)
    os.environ["PYTHONPATH"] = args.package + os.pathsep + os.environ.get("PYTHONPATH", "")
    from distributed import Client, LocalCluster
    import sorvek.dask

    size = os.path.getsize(args.data)
    out = args.data + ".dask.csv"
    clusters = {n: LocalCluster(n_workers=n, threads_per_worker=1, processes=True,
                                dashboard_address=None) for n in (1, 2)}
    clients = {n: Client(c) for n, c in clusters.items()}
    times = {1: [], 2: []}
    same = True
    for _ in range(args.runs):
        for n in (1, 2):
            if os.path.exists(out):
                os.remove(out)
            os.sync()
            start = time.perf_counter()
            sorvek.dask.convert(args.data, args.definition, out, client=clients[n])
            times[n].append(time.perf_counter() - start)
            if args.reference:
                same = same and filecmp.cmp(out, args.reference, shallow=False)
    for client in clients.values():
        client.close()
    for cluster in clusters.values():
        cluster.close()
    if os.path.exists(out):
        os.remove(out)
    one, two = statistics.median(times[1]), statistics.median(times[2])
    print(f"== Dask, {size} bytes, median of {args.runs} runs")
    print(f"  one worker   {one:8.3f} s {size / one / 1e6:8.0f} MB/s")
    print(f"  two workers  {two:8.3f} s {size / two / 1e6:8.0f} MB/s")
    print(f"  two / one = {one / two:.2f} (at least 1.50 wanted)"
          + (f"; same bytes as sorvek-cli: {same}" if args.reference else ""))


if __name__ == "__main__":
    main()
