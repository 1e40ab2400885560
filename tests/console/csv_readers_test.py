#!/usr/bin/env python3
"""What today's CSV readers make of sorvek-cli's output: Python's csv module and pandas read the
utf-8-bom + minimal output of awkward text into the right rows and columns, signs included; and
pandas reads every file of an output split by record kind (several kinds, headers and details,
three levels) with that kind's columns.

Usage: csv_readers_test.py SORVEK_CLI
Exits 77 (skipped) with a notice when pandas is not installed.
"""
import csv
import io
import os
import random
import subprocess
import sys
import tempfile

SKIPPED = 77

# Awkward text: the delimiter, double quotes, CR, LF, CR LF, full-width and half-width blanks,
# characters whose second byte is "|" or "\" in CP932, one-byte katakana.
TEXTS = [
    "ACME, Inc.", 'say "hi"', "two\nlines", "cr\ronly", "both\r\nends", "全角　", "　先頭",
    "ポ|ソ表", "ｶﾀｶﾅ ", "", " lead", "a,b,\"c\"", "丸①髙",
]
# Zoned digits with the sign over the last digit in every form, and the value they stand for.
ZONED = [("0012{", "001.20"), ("0012A", "001.21"), ("0012I", "001.29"), ("0012}", "-001.20"),
         ("0012J", "-001.21"), ("0012R", "-001.29"), ("0012p", "-001.20"), ("0012y", "-001.29"),
         ("00125", "001.25")]
TEXT_BYTES = 20


def cp932(text):
    return text.encode("cp932")


def packed(value):
    """A 3-byte packed decimal of `value` (5 digits and the sign)."""
    digits = f"{abs(value):05d}"
    nibbles = [int(d) for d in digits] + [0x0D if value < 0 else 0x0C]
    return bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, 6, 2))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    try:
        import pandas
    except ImportError:
        print("notice: pandas is not installed (python3-pandas); the readers test is skipped")
        return SKIPPED
    program = sys.argv[1]
    rng = random.Random(12)
    rows = []
    data = bytearray()
    for n in range(600):  # many blocks' worth
        text = rng.choice(TEXTS) + rng.choice(["", " ", "　", "  　"])
        raw = cp932(text)[:TEXT_BYTES]
        raw += b" " * (TEXT_BYTES - len(raw))
        zoned, zoned_value = rng.choice(ZONED)
        value = rng.randint(-99999, 99999)
        data += b"R" + raw + zoned.encode() + packed(value) + b"\r\n"
        rows.append((text.rstrip(" 　"), zoned_value, value))
    definition = (
        "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=1\r\n"
        "Name=awkward\r\nSize=0\r\nClassPos=\r\nDelimiter=,\r\nTitleLine=True\r\n"
        "[Record_1]\r\nName=R\r\nSize=29\r\nClass=\r\nParent=0\r\nChild=0\r\nMaxFieldIndex=3\r\n"
        "Field_0=区分,X,1,1,0,0,\r\nField_1=名前,X,2,20,0,-1,\r\nField_2=数量,9,22,5,2,-1,\r\n"
        "Field_3=金額,P,27,3,0,-1,\r\n")
    with tempfile.TemporaryDirectory() as folder:
        def path(name):
            return os.path.join(folder, name)
        with open(path("in.dat"), "wb") as f:
            f.write(data)
        with open(path("def.trd"), "wb") as f:
            f.write(cp932(definition))
        subprocess.run([program, "--encoding", "utf-8-bom", "--quote", "minimal", "--trim",
                        "--zoned-sign", "trailing", "/C", path("in.dat"), path("out.csv"),
                        path("def.trd")], check=True)
        with open(path("out.csv"), "rb") as f:
            output = f.read()
    assert output.startswith(b"\xEF\xBB\xBF"), "no byte order mark"

    # The csv module: every row and every field as written.
    parsed = list(csv.reader(io.StringIO(output.decode("utf-8-sig"), newline="")))
    assert parsed[0] == ["名前", "数量", "金額"], parsed[0]
    assert len(parsed) == len(rows) + 1, (len(parsed), len(rows) + 1)
    for got, (text, zoned_value, value) in zip(parsed[1:], rows):
        assert got[0] == text, (got, text)
        assert got[1] == zoned_value, (got, zoned_value)
        assert int(got[2]) == value, (got, value)

    # pandas: the right shape, the text as written, the numbers as numbers.
    frame = pandas.read_csv(io.BytesIO(output), encoding="utf-8-sig", keep_default_na=False,
                            dtype={"名前": str})
    assert list(frame.columns) == ["名前", "数量", "金額"], list(frame.columns)
    assert frame.shape == (len(rows), 3), frame.shape
    assert list(frame["名前"]) == [r[0] for r in rows]
    assert all(abs(a - float(r[1])) < 1e-9 for a, r in zip(frame["数量"], rows))
    assert list(frame["金額"]) == [r[2] for r in rows]
    print(f"csv and pandas read {len(rows)} rows of 3 columns as written")
    split_kinds(program, pandas)
    return 0


# Orders (受注) with items (明細) with notes (備考), discounts (値引) under an order, and a total
# (合計) on its own: the kinds that write lines, each with the columns of its file.
SPLIT_RECORDS = [
    ("受注", 4, "H", 0, 2, [("区分", "X", 1, 1, 0), ("受注番号", "9", 2, 3, -1)]),
    ("明細", 5, "D", 1, 3, [("区分", "X", 1, 1, 0), ("品目", "X", 2, 4, -1)]),
    ("備考", 7, "N", 2, 0, [("区分", "X", 1, 1, 0), ("備考", "X", 2, 6, -1)]),
    ("値引", 4, "W", 1, 0, [("区分", "X", 1, 1, 0), ("値引", "9", 2, 3, -1)]),
    ("合計", 3, "S", 0, 0, [("区分", "X", 1, 1, 0), ("件数", "9", 2, 2, -1)]),
]
SPLIT_COLUMNS = {"備考": ["受注番号", "品目", "備考"], "値引": ["受注番号", "値引"], "合計": ["件数"]}


def split_kinds(program, pandas):
    definition = ("[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\n"
                  f"MaxRecordIndex={len(SPLIT_RECORDS)}\r\nName=orders\r\nSize=0\r\n"
                  "ClassPos=1\r\nDelimiter=,\r\nTitleLine=True\r\n")
    for k, (name, size, code, parent, child, fields) in enumerate(SPLIT_RECORDS, 1):
        definition += (f"[Record_{k}]\r\nName={name}\r\nSize={size}\r\nClass={code}\r\n"
                       f"Parent={parent}\r\nChild={child}\r\nMaxFieldIndex={len(fields) - 1}\r\n")
        for j, (field, kind, pos, width, check) in enumerate(fields):
            definition += f"Field_{j}={field},{kind},{pos},{width},0,{check},\r\n"
    rng = random.Random(30)
    data = bytearray()
    expected = {name: [] for name in SPLIT_COLUMNS}
    for order in range(1, 200):
        number = f"{order:03d}"
        data += b"H" + number.encode()
        for _ in range(rng.randint(0, 3)):
            item = rng.choice(["AB,1", "x\"yz", "PLN ", "Q  Q"])
            data += b"D" + item.encode()
            for _ in range(rng.randint(1, 2)):
                note = rng.choice(["ok    ", "a,b   ", "late  "])
                data += b"N" + note.encode()
                expected["備考"].append([number, item.rstrip(" "), note.rstrip(" ")])
        if rng.random() < 0.5:
            discount = f"{rng.randint(0, 999):03d}"
            data += b"W" + discount.encode()
            expected["値引"].append([number, discount])
    data += b"S42"
    expected["合計"].append(["42"])
    with tempfile.TemporaryDirectory() as folder:
        def path(name):
            return os.path.join(folder, name)
        with open(path("in.dat"), "wb") as f:
            f.write(data)
        with open(path("def.trd"), "wb") as f:
            f.write(cp932(definition))
        for jobs in ["1", "3"]:
            subprocess.run([program, "--split-kinds", "--encoding", "utf-8-bom", "--quote",
                            "minimal", "--trim", "--jobs", jobs, "/C", path("in.dat"),
                            path("orders.csv"), path("def.trd")], check=True)
            assert not os.path.exists(path("orders.csv")), "the one output was written"
            for name, columns in SPLIT_COLUMNS.items():
                frame = pandas.read_csv(path(f"orders.{name}.csv"), encoding="utf-8-sig",
                                        dtype=str, keep_default_na=False)
                assert list(frame.columns) == columns, (name, list(frame.columns))
                assert frame.values.tolist() == expected[name], (name, jobs)
    print("pandas reads every file of an output split by kind with its columns")


if __name__ == "__main__":
    sys.exit(main())
