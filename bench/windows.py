#!/usr/bin/env python3
"""Times the Windows program under wine against the Linux program on the same files, in one run:
/C (100-byte records of one kind, made by rec2csv_tool) and /E LF on a Shift-JIS-like text file,
the two programs taking turns, median of several rounds each. Prints the seconds of each, the
ratio wine/Linux and whether it is within 2, and whether both wrote the same bytes.

usage: windows.py SORVEK_CLI SORVEK_CLI_EXE REC2CSV_TOOL [--size-mib N] [--runs N] [--dir DIR]
"""
import argparse
import filecmp
import os
import shutil
import subprocess
import sys

from bench_common import ensure, remove, report, timed_in_turns
from text_jobs import make_text_file


def wine_command(exe):
    """The .exe under wine64 with the test scripts' prefix; wine takes the Linux paths as they are
    (/tmp/x is Z:\\tmp\\x)."""
    wine = shutil.which("wine64") or "/usr/lib/wine/wine64"
    os.environ["WINEDEBUG"] = "-all"
    os.environ.setdefault("WINEPREFIX", f"/tmp/sorvek-wine-{os.getuid()}")
    # The wine server stays between the runs, as it does while a user works: no run pays for its
    # start (and a first start makes the prefix).
    server = os.path.join(os.path.dirname(os.path.realpath(wine)), "wineserver")
    if not os.path.exists(server):
        server = shutil.which("wineserver") or "wineserver"
    subprocess.run([server, "-p60"], check=False)
    subprocess.run([wine, exe, "--version"], stdout=subprocess.DEVNULL, check=True)
    return f"{wine} {exe}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("exe")
    parser.add_argument("tool")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--dir", default="/tmp/sorvek-bench-windows")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    d = os.path.abspath(args.dir)
    size = args.size_mib << 20
    subprocess.run([args.tool, "trd", "one", f"{d}/one.trd"], check=True)
    ensure(f"{d}/one.dat", size,
           lambda p: subprocess.run([args.tool, "gen", "one", str(size // 1000000), p], check=True))
    ensure(f"{d}/text.txt", size, lambda p: make_text_file(p, size))

    wine = wine_command(os.path.abspath(args.exe))
    cases = [
        ("/C one", f"{d}/one.dat", lambda o: f"/C {d}/one.dat {o} {d}/one.trd"),
        ("/E LF", f"{d}/text.txt", lambda o: f"/E {d}/text.txt {o} LF"),
    ]
    met = []
    print(f"load before the runs: {os.getloadavg()}")
    for title, data, job in cases:
        linux_out, wine_out = f"{d}/out.linux", f"{d}/out.wine"
        commands = [
            (f"Linux {title}", f"{args.cli} -q {job(linux_out)}"),
            (f"wine {title}", f"{wine} -q {job(wine_out)}"),
        ]

        def before():
            for path in (linux_out, wine_out):
                remove(path)()

        print(f"== {title}: {os.path.getsize(data)} bytes, median of {args.runs} runs")
        # A run of each first, untimed: the input in the page cache and wine's own files read
        # for both alike. Its outputs are compared (the timed runs remove theirs).
        for _, command in commands:
            subprocess.run(command, shell=True, check=True)
        same = filecmp.cmp(linux_out, wine_out, shallow=False)
        rows = timed_in_turns(commands, args.runs, before)
        results = report(rows, os.path.getsize(data), commands[0][0])
        ratio = results[commands[1][0]][0] / results[commands[0][0]][0]
        print(f"  wine / Linux = {ratio:.2f} (at most 2.00 wanted); same bytes: {same}")
        met.append((title, ratio <= 2.0, same))
        for path in (linux_out, wine_out):
            if os.path.exists(path):
                os.remove(path)
    print(f"load after the runs: {os.getloadavg()}")
    print("targets (within 2 x Linux, same bytes):")
    for title, *flags in met:
        print(f"  {title:8} " + "  ".join("met" if f else "NOT MET" for f in flags))
    sys.exit(0 if all(all(flags) for _, *flags in met) else 1)


if __name__ == "__main__":
    main()
