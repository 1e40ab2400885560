#!/usr/bin/env python3
"""Times sorvek-cli --format xlsx on 100 MB of records against openpyxl's write-only mode writing
the same rows, in one run: the commands take turns, median of several rounds each; seconds,
peak memory and the ratio.

openpyxl is given the rows already typed (text as str, numbers as int or float) from the CSV that
sorvek-cli writes of the same records; its time is that of the whole script less that of the same
script without the workbook (reading and typing the rows), so that only the writing counts.
openpyxl writes no number formats here, which makes its part lighter than sorvek-cli's.

usage: xlsx.py SORVEK_CLI [--size-mb N] [--runs N] [--dir DIR]
"""
import argparse
import os
import random
import sys

from bench_common import remove, timed_in_turns

# 100 bytes: CODE X(10), NAME X(30), QTY 9(7), PRICE 9(7)V99, AMOUNT S9(13) packed, DATE 9(8),
# NOTE X(29).
DEFINITION = (
    "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=1\r\n"
    "Name=items\r\nSize=100\r\nClassPos=\r\nDelimiter=,\r\nTitleLine=True\r\n"
    "[Record_1]\r\nName=明細\r\nSize=100\r\nClass=\r\nParent=0\r\nChild=0\r\nMaxFieldIndex=6\r\n"
    "Field_0=コード,X,1,10,0,-1,\r\nField_1=品名,X,11,30,0,-1,\r\nField_2=数量,9,41,7,0,-1,\r\n"
    "Field_3=単価,9,48,9,2,-1,\r\nField_4=金額,P,57,7,0,-1,\r\nField_5=日付,9,64,8,0,-1,\r\n"
    "Field_6=備考,X,72,29,0,-1,\r\n")
NUMBERS = {2, 3, 4, 5}  # the columns openpyxl gets as numbers

OPENPYXL = r'''
import csv, sys
write = sys.argv[3] == "write"
if write:
    import openpyxl
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet("明細")
numbers = {2, 3, 4, 5}
with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    rows = csv.reader(f)
    title = next(rows)
    if write:
        sheet.append(title)
    for row in rows:
        typed = [(float(v) if "." in v else int(v)) if i in numbers else v
                 for i, v in enumerate(row)]
        if write:
            sheet.append(typed)
if write:
    book.save(sys.argv[2])
'''


def packed(value, size):
    digits = f"{abs(value):0{size * 2 - 1}d}"
    nibbles = [int(d) for d in digits] + [0x0D if value < 0 else 0x0C]
    return bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, 2 * size, 2))


def make_records(path, size):
    """Records of varied text and numbers; a block of 10,000 repeated to the size."""
    rng = random.Random(7)
    names = ["ボールペン黒", "ノート　Ａ４", "ｸﾘｯﾌﾟ", "stapler", "封筒 長形3号", "付箋"]
    block = bytearray()
    for n in range(10000):
        name = rng.choice(names).encode("cp932")
        block += f"A{n:09d}".encode()
        block += name.ljust(30)
        block += f"{rng.randint(0, 9999999):07d}".encode()
        block += f"{rng.randint(0, 999999999):09d}".encode()
        block += packed(rng.randint(-10**12, 10**12), 7)
        block += f"2024{rng.randint(1, 12):02d}{rng.randint(1, 28):02d}".encode()
        block += b"note".ljust(29)
    assert len(block) == 100 * 10000
    with open(path, "wb") as out:
        written = 0
        while written < size:
            piece = bytes(block[: min(len(block), size - written)])
            out.write(piece)
            written += len(piece)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--size-mb", type=int, default=100)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--dir", default="/tmp/sorvek-bench-xlsx")
    args = parser.parse_args()
    try:
        import openpyxl  # noqa: F401  (only to say clearly that it is missing)
    except ImportError:
        sys.exit("openpyxl is not installed (python3-openpyxl)")

    os.makedirs(args.dir, exist_ok=True)
    data, trd = os.path.join(args.dir, "items.dat"), os.path.join(args.dir, "items.trd")
    text, script = os.path.join(args.dir, "items.csv"), os.path.join(args.dir, "openpyxl_rows.py")
    ours, theirs = os.path.join(args.dir, "ours.xlsx"), os.path.join(args.dir, "theirs.xlsx")
    size = args.size_mb * 1000000 // 100 * 100
    if not os.path.exists(data) or os.path.getsize(data) != size:
        print(f"building {data} ({args.size_mb} MB)")
        make_records(data, size)
    with open(trd, "wb") as f:
        f.write(DEFINITION.encode("cp932"))
    with open(script, "w", encoding="utf-8") as f:
        f.write(OPENPYXL)
    cli = os.path.abspath(args.cli)
    os.system(f"'{cli}' --encoding utf-8 --quote minimal --trim /C '{data}' '{text}' '{trd}'")
    python = sys.executable
    commands = [
        ("sorvek-cli /C (CSV)", f"'{cli}' --trim /C '{data}' '{ours}.csv' '{trd}'"),
        ("sorvek-cli --format xlsx /C", f"'{cli}' --trim --format xlsx /C '{data}' '{ours}' '{trd}'"),
        ("python: read and type the rows", f"'{python}' '{script}' '{text}' - read"),
        ("python: the same + openpyxl write-only", f"'{python}' '{script}' '{text}' '{theirs}' write"),
    ]
    rows = timed_in_turns(commands, args.runs, remove(ours))
    secs = {name: (s, kib) for name, s, kib in rows}
    print(f"{size / 1e6:.0f} MB of records, {size // 100} rows, {args.runs} rounds (medians)")
    print(f"{'command':42} {'seconds':>8} {'peak MiB':>9}")
    for name, s, kib in rows:
        print(f"{name:42} {s:8.2f} {kib / 1024:9.1f}")
    sorvek = secs["sorvek-cli --format xlsx /C"][0]
    openpyxl_write = (secs["python: the same + openpyxl write-only"][0] -
                      secs["python: read and type the rows"][0])
    print(f"openpyxl write-only, writing alone: {openpyxl_write:.2f} s")
    print(f"sorvek-cli --format xlsx / openpyxl write-only: {sorvek / openpyxl_write:.3f} "
          f"(aim: below 0.333); peak {secs['sorvek-cli --format xlsx /C'][1] / 1024:.1f} MiB "
          f"(aim: below 64)")


if __name__ == "__main__":
    main()
