#!/usr/bin/env python3
"""What openpyxl and LibreOffice read from sorvek-cli's workbooks (--format xlsx): random records
of text, zoned and packed fields, with signs, invalid packed digits and values past 15
significant digits, come back cell by cell with the right type, value and number format, under a
frozen title row, one sheet per kind; a kind of more rows than a sheet holds goes on in a second
sheet; LibreOffice gives the values of the kinds' CSV files.

Usage: xlsx_readers_test.py SORVEK_CLI SOURCE_DIR
Exits 77 (skipped) with a notice when openpyxl is not installed; the LibreOffice part is passed
by with a notice when LibreOffice is not.
"""
import csv
import decimal
import os
import shutil
import random
import subprocess
import sys
import tempfile

SKIPPED = 77
TEXTS = ["ACME, Inc.", 'say "hi"', "two\nlines", "全角", "ｶﾀｶﾅ", "", "12345", "a,b,\"c\""]


def packed(digits, negative, size):
    nibbles = [int(d) for d in digits] + [0x0D if negative else 0x0C]
    return bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, 2 * size, 2))


def random_cells(openpyxl, program):
    rng = random.Random(31)
    # Kind A: text, zoned 9(5)V99, packed of 17 digits (past 15 significant digits at times).
    # Kind B: text and packed 9(5) with invalid digits at times.
    definition = (
        "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=2\r\n"
        "Name=book\r\nSize=0\r\nClassPos=1\r\nDelimiter=,\r\nTitleLine=True\r\n"
        "[Record_1]\r\nName=受注明細\r\nSize=37\r\nClass=A\r\nParent=0\r\nChild=0\r\n"
        "MaxFieldIndex=3\r\nField_0=区分,X,1,1,0,0,\r\nField_1=名前,X,2,20,0,-1,\r\n"
        "Field_2=数量,9,22,7,2,-1,\r\nField_3=金額,P,29,9,0,-1,\r\n"
        "[Record_2]\r\nName=B:x\r\nSize=16\r\nClass=B\r\nParent=0\r\nChild=0\r\n"
        "MaxFieldIndex=2\r\nField_0=区分,X,1,1,0,0,\r\nField_1=名前,X,2,12,0,-1,\r\n"
        "Field_2=件数,P,14,3,0,-1,\r\n")
    data = bytearray()
    expected = {"受注明細": [], "B_x": []}
    for _ in range(500):
        text = rng.choice(TEXTS)
        raw = text.encode("cp932")
        if rng.random() < 0.6:
            zoned = f"{rng.randint(0, 9999999):07d}"
            digits = f"{rng.choice([rng.randint(0, 99999), rng.randint(0, 10**17 - 1)]):017d}"
            negative = rng.random() < 0.5
            data += b"A" + raw.ljust(20) + zoned.encode() + packed(digits, negative, 9)
            amount = int(digits) * (-1 if negative else 1)
            significant = len(digits.lstrip("0"))
            expected["受注明細"].append([
                ("s", text.rstrip(" ") or None, "General"),
                ("n", int(zoned) / 100, "00000.00"),
                ("n", amount, "0" * 17) if significant <= 15 else
                ("s", ("-" if negative else " ") + digits, "General")])
        else:
            bad = rng.random() < 0.3
            digits = f"{rng.randint(0, 99999):05d}"
            cell = packed(digits, False, 3)
            if bad:
                cell = bytes([0xAB]) + cell[1:]
            data += b"B" + raw[:12].ljust(12) + cell
            # Invalid digits stay text, as the CSV keeps them.
            value = ("s", ..., "General") if bad else ("n", int(digits), "00000")
            expected["B_x"].append([("s", raw[:12].decode("cp932", "replace").rstrip(" ") or None,
                                     "General"), value])
    with tempfile.TemporaryDirectory() as folder:
        def path(name):
            return os.path.join(folder, name)
        with open(path("in.dat"), "wb") as f:
            f.write(data)
        with open(path("def.trd"), "wb") as f:
            f.write(definition.encode("cp932"))
        subprocess.run([program, "--format", "xlsx", "--trim", "/C", path("in.dat"),
                        path("book.xlsx"), path("def.trd")], check=True)
        book = openpyxl.load_workbook(path("book.xlsx"))
        # A job that stops (an invalid packed field, told to fail) keeps the old output and
        # leaves no file of its own.
        with open(path("old.xlsx"), "wb") as f:
            f.write(b"old")
        before = sorted(os.listdir(folder))
        stopped = subprocess.run([program, "--format", "xlsx", "--invalid-packed", "fail", "/C",
                                  path("in.dat"), path("old.xlsx"), path("def.trd")],
                                 capture_output=True)
        assert stopped.returncode == 1, stopped
        assert sorted(os.listdir(folder)) == before, os.listdir(folder)
        with open(path("old.xlsx"), "rb") as f:
            assert f.read() == b"old"
    assert book.sheetnames == ["受注明細", "B_x"], book.sheetnames
    titles = {"受注明細": ["名前", "数量", "金額"], "B_x": ["名前", "件数"]}
    for name, rows in expected.items():
        sheet = book[name]
        assert sheet.freeze_panes == "A2", (name, sheet.freeze_panes)
        got = list(sheet.iter_rows())
        assert [c.value for c in got[0]] == titles[name], (name, got[0])
        assert len(got) == len(rows) + 1, (name, len(got), len(rows) + 1)
        for n, (cells, want) in enumerate(zip(got[1:], rows), 2):
            for cell, (kind, value, number_format) in zip(cells, want):
                if value is None:
                    assert cell.value is None, (name, n, cell.value)
                    continue
                assert cell.data_type == kind, (name, n, cell.value, kind)
                if kind == "n":
                    assert abs(cell.value - value) < 1e-9 * max(1, abs(value)), (name, n, cell.value, value)
                elif value is not ...:
                    assert cell.value == value, (name, n, cell.value, value)
                assert cell.number_format == number_format, (name, n, cell.number_format)
    print(f"openpyxl reads {sum(map(len, expected.values()))} rows of two sheets as written")


def continuation_sheet(openpyxl, program):
    """A kind of more lines than a sheet's 1048576 rows (its title row included) goes on in
    "NAME (2)" under its own title row, no row lost or doubled."""
    definition = (
        "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=1\r\n"
        "Name=rows\r\nSize=0\r\nClassPos=1\r\nDelimiter=,\r\nTitleLine=True\r\n"
        "[Record_1]\r\nName=明細\r\nSize=8\r\nClass=A\r\nParent=0\r\nChild=0\r\n"
        "MaxFieldIndex=1\r\nField_0=区分,X,1,1,0,0,\r\nField_1=番号,9,2,7,0,-1,\r\n")
    count = 1048576 + 5
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "rows.trd"), "wb") as f:
            f.write(definition.encode("cp932"))
        with open(os.path.join(folder, "rows.dat"), "wb") as f:
            f.write(b"".join(b"A%07d" % i for i in range(count)))
        # In parts (two workers): the rows still in the input's order.
        subprocess.run([program, "--format", "xlsx", "--jobs", "2", "/C",
                        os.path.join(folder, "rows.dat"), os.path.join(folder, "rows.xlsx"),
                        os.path.join(folder, "rows.trd")], check=True)
        book = openpyxl.load_workbook(os.path.join(folder, "rows.xlsx"), read_only=True)
        assert book.sheetnames == ["明細", "明細 (2)"], book.sheetnames
        values = []
        for sheet in book.worksheets:
            rows = sheet.iter_rows(values_only=True)
            assert next(rows) == ("番号",), sheet.title
            values.append([row[0] for row in rows])
        book.close()
    assert len(values[0]) == 1048575, len(values[0])
    assert values[0] + values[1] == list(range(count)), "rows lost, doubled or out of order"
    print(f"{count} rows go on in a second sheet")


def as_value(text):
    """A cell's text as LibreOffice or the CSV gives it: a number where it reads as one (the CSV
    puts a blank where a packed field's sign would be), else the text."""
    try:
        return decimal.Decimal(text.strip())
    except decimal.InvalidOperation:
        return text


def libreoffice(program, source):
    """LibreOffice opens the workbooks of the samples and of a bank transfer file (four kinds)
    and gives, sheet by sheet, the values of the CSV files of the kinds."""
    office = shutil.which("soffice") or shutil.which("libreoffice")
    if office is None:
        print("notice: LibreOffice is not installed (libreoffice-calc-nogui); its part is passed by")
        return
    cases = [("samples/orders.dat", "samples/orders.trd"),
             ("layouts/samples/zengin-sogo.dat", "layouts/zengin-sogo.trd")]
    with tempfile.TemporaryDirectory() as folder:
        books = []
        for n, (data, definition) in enumerate(cases):
            data, definition = os.path.join(source, data), os.path.join(source, definition)
            books.append(os.path.join(folder, f"book{n}.xlsx"))
            subprocess.run([program, "--format", "xlsx", "/C", data, books[-1], definition],
                           check=True)
            subprocess.run([program, "--encoding", "utf-8", "--split-kinds", "/C", data,
                            os.path.join(folder, f"book{n}.csv"), definition], check=True)
        # Every sheet to a file of its own ("book0-受注明細.csv"), UTF-8, the cells as shown.
        subprocess.run([office, f"-env:UserInstallation=file://{folder}/profile", "--headless",
                        "--convert-to",
                        "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,"
                        "false,-1", "--outdir", os.path.join(folder, "lo")] + books,
                       check=True, timeout=300, stdout=subprocess.DEVNULL)
        shown = sorted(os.listdir(os.path.join(folder, "lo")))
        written = sorted(name.replace(".", "-", 1) for name in os.listdir(folder)
                         if name.endswith(".csv"))
        assert shown == written and len(shown) == 4, (shown, written)
        lines = 0
        for name in shown:
            with open(os.path.join(folder, "lo", name), encoding="utf-8", newline="") as f:
                cells = list(csv.reader(f))
            with open(os.path.join(folder, name.replace("-", ".", 1)), encoding="utf-8-sig",
                      newline="") as f:
                want = list(csv.reader(f))
            if not any(want[0]):
                continue  # a kind without columns (an end record): its sheet has no cells
            assert len(cells) == len(want), (name, len(cells), len(want))
            for n, (got, line) in enumerate(zip(cells, want), 1):
                assert [as_value(c) for c in got] == [as_value(c) for c in line], (name, n, got)
            lines += len(want)
    print(f"LibreOffice gives the {lines} lines of the CSV files of {len(shown)} kinds")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    try:
        import openpyxl
    except ImportError:
        print("notice: openpyxl is not installed (python3-openpyxl); the workbook test is skipped")
        return SKIPPED
    program, source = sys.argv[1], sys.argv[2]
    random_cells(openpyxl, program)
    continuation_sheet(openpyxl, program)
    libreoffice(program, source)
    return 0


if __name__ == "__main__":
    sys.exit(main())
