#!/usr/bin/env python3
"""Record-to-CSV throughput of records whose table's occurrences a counter gives, behind record
descriptor words, against the fixed layout of the same data (every record at its largest, the
occurrences it lacks blank), in the same run, runs taking turns.

The layout: ID X(10), NAME X(20), COUNT 9(2), a table of 0 to 10 occurrences of ITEM X(8),
QTY 9(5), AMOUNT S9(7)V99 COMP-3, then TOTAL S9(9)V99 COMP-3: 218 bytes at the largest, 128 on
average with 5 occurrences. Both files hold the same records; the figure that counts is records
per second (the varying file has fewer bytes), and MB/s of input is shown beside it.

Usage: varying.py SORVEK_CLI [--size-mib N] [--runs N] [--dir DIR] [--jobs N]"""
import argparse
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_common import remove, timed_in_turns  # noqa: E402

MAX = 10
OCCURRENCE = 8 + 5 + 5
HEAD = 10 + 20 + 2
TAIL = 6
LARGEST = HEAD + MAX * OCCURRENCE + TAIL


def packed(value, size):
    digits = f"{abs(value):0{2 * size - 1}d}"
    nibbles = digits + ("d" if value < 0 else "c")
    return bytes.fromhex(nibbles)


def records(count, rng):
    """`count` distinct records: (varying bytes, fixed bytes)."""
    out = []
    for n in range(count):
        k = rng.randint(0, MAX)
        head = f"{n:010d}".encode() + f"NAME{n:016d}".encode() + f"{k:02d}".encode()
        table = b"".join(f"I{(n * 7 + i) % 10**7:07d}".encode() + f"{(n + i) % 10**5:05d}".encode()
                         + packed((n * 31 + i) % 10**9 - 5 * 10**8, 5) for i in range(k))
        tail = packed((n * 97) % 10**11 - 5 * 10**10, 6)
        varying = head + table + tail
        fixed = head + table + b" " * ((MAX - k) * OCCURRENCE) + tail
        out.append(((len(varying) + 4).to_bytes(2, "big") + b"\0\0" + varying, fixed))
    return out


def definition(path, varying):
    fields = [("ID", "X", 1, 10, 0), ("NAME", "X", 11, 20, 0), ("COUNT", "9", 31, 2, 0)]
    for i in range(MAX):
        at = HEAD + 1 + i * OCCURRENCE
        fields += [(f"ITEM_{i + 1}", "X", at, 8, 0), (f"QTY_{i + 1}", "9", at + 8, 5, 0),
                   (f"AMOUNT_{i + 1}", "P", at + 13, 5, 2)]
    fields.append(("TOTAL", "P", LARGEST - TAIL + 1, TAIL, 2))
    lines = ["[Sorvek Trd File]", "Function=REC2CSV", "", "[File Property]", "MaxRecordIndex=1",
             "Name=varying", "Size=0", "ClassPos=", "Delimiter=,", "TitleLine=False"]
    if varying:
        lines.append("RecordFormat=v")
    lines += ["", "[Record_1]", "Name=R", f"Size={LARGEST}", "Class=", "Parent=0", "Child=0",
              f"MaxFieldIndex={len(fields) - 1}"]
    lines += [f"Field_{j}={n},{t},{p},{s},{d},-1," for j, (n, t, p, s, d) in enumerate(fields)]
    if varying:
        lines += ["", "[Varying Tables]",
                  f"Record_1=counter=Field_2,pos={HEAD + 1},size={OCCURRENCE},min=0,max={MAX}"]
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def write_files(directory, size_mib):
    """The varying file of about `size_mib` MiB and the fixed file of the same records."""
    varying_path = os.path.join(directory, "varying.dat")
    fixed_path = os.path.join(directory, "varying-fixed.dat")
    target = size_mib << 20
    marker = os.path.join(directory, f"varying-{size_mib}.done")
    if not os.path.exists(marker):
        sample = records(20000, random.Random(7))
        block_v = b"".join(v for v, _ in sample)
        block_f = b"".join(f for _, f in sample)
        with open(varying_path, "wb") as fv, open(fixed_path, "wb") as ff:
            written = 0
            while written < target:
                fv.write(block_v)
                ff.write(block_f)
                written += len(block_v)
        open(marker, "w").close()
    definition(os.path.join(directory, "varying.trd"), True)
    definition(os.path.join(directory, "varying-fixed.trd"), False)
    count = os.path.getsize(fixed_path) // LARGEST
    return varying_path, fixed_path, count


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--dir", default=os.environ.get("TMPDIR", "/tmp"))
    parser.add_argument("--jobs", type=int, default=1)
    args = parser.parse_args()
    varying, fixed, count = write_files(args.dir, args.size_mib)
    out = os.path.join(args.dir, "varying.csv")
    jobs = f"--jobs {args.jobs} " if args.jobs > 1 else ""
    commands = [
        ("fixed layout", f"{args.cli} -q {jobs}/C {fixed} {out} {args.dir}/varying-fixed.trd"),
        ("varying (V)", f"{args.cli} -q {jobs}/C {varying} {out} {args.dir}/varying.trd"),
    ]
    rows = timed_in_turns(commands, args.runs, remove(out))
    sizes = {"fixed layout": os.path.getsize(fixed), "varying (V)": os.path.getsize(varying)}
    print(f"{count} records; jobs {args.jobs}; median of {args.runs} runs")
    print(f"{'input':14} {'bytes':>14} {'median s':>9} {'MB/s':>8} {'records/s':>12} {'peak MiB':>9}")
    for name, secs, kib in rows:
        print(f"{name:14} {sizes[name]:14d} {secs:9.3f} {sizes[name] / secs / 1e6:8.0f} "
              f"{count / secs:12.0f} {kib / 1024:9.1f}")
    ratio = rows[0][1] / rows[1][1]
    print(f"varying / fixed, records per second: {ratio:.2f} (at least 0.50 wanted)")
    return 0 if ratio >= 0.5 else 1


if __name__ == "__main__":
    sys.exit(main())
