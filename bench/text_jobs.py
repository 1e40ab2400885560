#!/usr/bin/env python3
"""Times sorvek-cli /E and /L on a 1 GiB Shift-JIS-like text file against the tools a user would
otherwise reach for, in one run: the commands take turns, median of several rounds each; MB/s of
input, ratios, peak memory.

usage: text_jobs.py SORVEK_CLI [--size-mib N] [--runs N] [--dir DIR]
"""
import argparse
import os
import random

from bench_common import remove, report, timed, timed_in_turns


def make_text_file(path, size):
    """Lines of 20 to 200 bytes, mixed CR LF and LF, single- and double-byte characters."""
    rng = random.Random(1)
    words = ["受注", "明細", "ボールペン", "ﾌｧｲﾙ", "数量", "単価", "ABC", "order", "0123456789", " ", ","]
    encoded = [w.encode("cp932") for w in words]
    chunk = bytearray()
    while len(chunk) < 8 << 20:
        target = rng.randint(20, 200)
        line = bytearray()
        while len(line) < target:
            line += rng.choice(encoded)
        chunk += line[:target]
        # Never cut a double-byte character in half at the line end: fall back to ASCII.
        if len(line) > target:
            chunk[-1:] = b"x"
        chunk += b"\r\n" if rng.random() < 0.5 else b"\n"
    with open(path, "wb") as out:
        written = 0
        while written < size:
            piece = bytes(chunk[: min(len(chunk), size - written)])
            out.write(piece)
            written += len(piece)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--dir", default="/tmp/sorvek-bench")
    args = parser.parse_args()

    os.makedirs(args.dir, exist_ok=True)
    src = os.path.join(args.dir, "text.txt")
    out = os.path.join(args.dir, "out.txt")
    size = args.size_mib << 20
    if not os.path.exists(src) or os.path.getsize(src) != size:
        print(f"building {src} ({args.size_mib} MiB)")
        make_text_file(src, size)
    cli = os.path.abspath(args.cli)
    commands = [
        ("cat file >/dev/null", f"cat '{src}' >/dev/null"),
        ("cp file out", f"cp '{src}' '{out}'"),
        ("sorvek-cli /E file out CRLF", f"'{cli}' /E '{src}' '{out}' CRLF"),
        ("unix2dos -f -n file out", f"unix2dos -q -f -n '{src}' '{out}'"),
        ("sorvek-cli /E file out LF", f"'{cli}' /E '{src}' '{out}' LF"),
        ("dos2unix -f -n file out", f"dos2unix -q -f -n '{src}' '{out}'"),
        ("sorvek-cli /L file out 80", f"'{cli}' /L '{src}' '{out}' 80"),
        ("tr -d '\\r\\n' <file | fold -b -w 80 >out", f"tr -d '\\r\\n' <'{src}' | fold -b -w 80 >'{out}'"),
        ("sorvek-cli /L file out 0", f"'{cli}' /L '{src}' '{out}' 0"),
        ("tr -d '\\r\\n' <file >out", f"tr -d '\\r\\n' <'{src}' >'{out}'"),
    ]
    timed(f"cat '{src}' >/dev/null", 1)  # into the page cache
    rows = timed_in_turns(commands, args.runs, before=remove(out))
    results = report(rows, size, "cp file out")

    def speed(name):
        return 1 / results[name][0]

    cp = speed("cp file out")
    checks = [
        ("/E CRLF >= 0.4 x cp", speed("sorvek-cli /E file out CRLF") >= 0.4 * cp),
        ("/E LF >= 0.4 x cp", speed("sorvek-cli /E file out LF") >= 0.4 * cp),
        ("/E CRLF >= 6 x unix2dos", speed("sorvek-cli /E file out CRLF") >= 6 * speed("unix2dos -f -n file out")),
        ("/E LF >= 6 x dos2unix", speed("sorvek-cli /E file out LF") >= 6 * speed("dos2unix -f -n file out")),
        ("/L 80 >= 0.35 x cp", speed("sorvek-cli /L file out 80") >= 0.35 * cp),
        ("/L 80 >= 5 x tr | fold", speed("sorvek-cli /L file out 80") >= 5 * speed("tr -d '\\r\\n' <file | fold -b -w 80 >out")),
        ("/L 0 >= 2 x tr -d", speed("sorvek-cli /L file out 0") >= 2 * speed("tr -d '\\r\\n' <file >out")),
        ("sorvek-cli peak < 16 MiB", all(kib < 16 * 1024 for name, (s, kib) in results.items() if name.startswith("sorvek"))),
    ]
    print()
    for label, ok in checks:
        print(f"{'meets' if ok else 'MISSES'}  {label}")
    os.remove(out) if os.path.exists(out) else None


if __name__ == "__main__":
    main()
