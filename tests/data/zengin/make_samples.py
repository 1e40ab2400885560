#!/usr/bin/env python3
"""Writes the sample pairs of the bank-transfer layouts (layouts/samples/): the CSV a user saves
from a spreadsheet, and the 120-byte records it must become.

The records are built here from the published record tables, written out below with their
positions, and not from the definition files, so that the pair can hold the definitions (and
the conversion) to account. Run it again after changing the sample rows:

    python3 tests/data/zengin/make_samples.py [output folder]
"""
import os
import sys
import unicodedata

RECORD = 120

# (1-based start, size, kind, name): kind N pads numbers with leading zeros, C pads text with
# blanks on the right, "=x" is a constant. Each table is the published one, position by position.
HEADER = {
    "sogo": [(1, 1, "=1", "データ区分"), (2, 2, "N", "種別コード"), (4, 1, "N", "コード区分"),
             (5, 10, "N", "依頼人コード"), (15, 40, "C", "依頼人名"), (55, 4, "N", "振込指定日"),
             (59, 4, "N", "仕向銀行番号"), (63, 15, "C", "仕向銀行名"),
             (78, 3, "N", "仕向支店番号"), (81, 15, "C", "仕向支店名"),
             (96, 1, "N", "預金種目(依頼人)"), (97, 7, "N", "口座番号(依頼人)"),
             (104, 17, "= ", "ダミー")],
    "kyuyo": [(1, 1, "=1", "データ区分"), (2, 2, "N", "種別コード"), (4, 1, "N", "コード区分"),
              (5, 10, "N", "会社コード"), (15, 40, "C", "会社名"), (55, 4, "N", "振込指定日"),
              (59, 4, "N", "仕向銀行番号"), (63, 15, "C", "仕向銀行名"),
              (78, 3, "N", "仕向支店番号"), (81, 15, "C", "仕向支店名"),
              (96, 1, "N", "預金種目(会社)"), (97, 7, "N", "口座番号(会社)"),
              (104, 17, "= ", "ダミー")],
    "furikae": [(1, 1, "=1", "データ区分"), (2, 2, "N", "種別コード"), (4, 1, "N", "コード区分"),
                (5, 10, "N", "委託者コード"), (15, 40, "C", "委託者名"), (55, 4, "N", "引落日"),
                (59, 4, "N", "取引銀行番号"), (63, 15, "C", "取引銀行名"),
                (78, 3, "N", "取引支店番号"), (81, 15, "C", "取引支店名"),
                (96, 1, "N", "預金種目(委託者)"), (97, 7, "N", "口座番号(委託者)"),
                (104, 17, "= ", "ダミー")],
}
DATA = {
    "sogo": [(1, 1, "=2", "データ区分"), (2, 4, "N", "被仕向銀行番号"), (6, 15, "C", "被仕向銀行名"),
             (21, 3, "N", "被仕向支店番号"), (24, 15, "C", "被仕向支店名"),
             (39, 4, "N", "手形交換所番号"), (43, 1, "N", "預金種目"), (44, 7, "N", "口座番号"),
             (51, 30, "C", "受取人名"), (81, 10, "N", "振込金額"), (91, 1, "N", "新規コード"),
             (92, 10, "N", "顧客コード1"), (102, 10, "N", "顧客コード2"),
             (112, 1, "N", "振込指定区分"), (113, 1, "C", "識別表示"), (114, 7, "= ", "ダミー")],
    "kyuyo": [(1, 1, "=2", "データ区分"), (2, 4, "N", "被仕向銀行番号"), (6, 15, "C", "被仕向銀行名"),
              (21, 3, "N", "被仕向支店番号"), (24, 15, "C", "被仕向支店名"),
              (39, 4, "N", "手形交換所番号"), (43, 1, "N", "預金種目"), (44, 7, "N", "口座番号"),
              (51, 30, "C", "受取人名"), (81, 10, "N", "振込金額"), (91, 1, "N", "新規コード"),
              (92, 10, "N", "社員番号"), (102, 10, "N", "所属コード"), (112, 9, "= ", "ダミー")],
    "furikae": [(1, 1, "=2", "データ区分"), (2, 4, "N", "引落銀行番号"), (6, 15, "C", "引落銀行名"),
                (21, 3, "N", "引落支店番号"), (24, 15, "C", "引落支店名"), (39, 4, "= ", "ダミー"),
                (43, 1, "N", "預金種目"), (44, 7, "N", "口座番号"), (51, 30, "C", "預金者名"),
                (81, 10, "N", "引落金額"), (91, 1, "N", "新規コード"), (92, 20, "N", "顧客番号"),
                (112, 1, "N", "振替結果コード"), (113, 8, "= ", "ダミー")],
}
TRAILER = {
    "sogo": [(1, 1, "=8", "データ区分"), (2, 6, "N", "合計件数"), (8, 12, "N", "合計金額"),
             (20, 101, "= ", "ダミー")],
    "furikae": [(1, 1, "=8", "データ区分"), (2, 6, "N", "合計件数"), (8, 12, "N", "合計金額"),
                (20, 6, "=0", "振替済件数"), (26, 12, "=0", "振替済金額"),
                (38, 6, "=0", "振替不能件数"), (44, 12, "=0", "振替不能金額"),
                (56, 65, "= ", "ダミー")],
}
TRAILER["kyuyo"] = TRAILER["sogo"]
END = [(1, 1, "=9", "データ区分"), (2, 119, "= ", "ダミー")]
AMOUNT = {"sogo": "振込金額", "kyuyo": "振込金額", "furikae": "引落金額"}


def half_width_table():
    """Full-width katakana (with voiced marks) → half-width, from the half-width forms."""
    table = {}
    for code in range(0xFF61, 0xFFA0):
        half = chr(code)
        table[unicodedata.normalize("NFKC", half)] = half
        for mark in ("\uff9e", "\uff9f"):
            composed = unicodedata.normalize("NFKC", half + mark)
            if len(composed) == 1:
                table[composed] = half + mark
    return table


HALF = half_width_table()


def half_width_upper(text):
    out = "".join(HALF.get(c, unicodedata.normalize("NFKC", c)) for c in text)
    return out.upper()

# The bank character set has no small kana, long mark or middle dot: the samples use none, so
# that they hold only what every conversion must do (full-width to half-width with the voiced
# marks as bytes of their own, lower-case letters to capitals).


def field_bytes(kind, size, value):
    if kind.startswith("="):
        return (kind[1:] * size).encode("cp932")
    if kind == "N":
        assert value.isdigit() and len(value) <= size, value
        return value.rjust(size, "0").encode("cp932")
    raw = half_width_upper(value).encode("cp932")
    assert len(raw) <= size, value
    return raw.ljust(size, b" ")


def record(table, values):
    """One record from its table and the values of its written fields, by name."""
    out = b""
    for start, size, kind, name in table:
        assert start == len(out) + 1, (name, start, len(out))
        part = field_bytes(kind, size, values.get(name, ""))
        assert len(part) == size, name
        out += part
    assert len(out) == RECORD, len(out)
    return out


def written(table):
    return [name for _, _, kind, name in table if not kind.startswith("=")]


def sample(layout, groups):
    """The CSV (UTF-8 with BOM, CRLF, title line) and the records of `groups`: each a header's
    values and its data records' values, as typed."""
    head, data, trailer = HEADER[layout], DATA[layout], TRAILER[layout]
    columns = written(head) + written(data)
    lines = [",".join(columns)]
    records = b""
    for header_values, rows in groups:
        records += record(head, header_values)
        total = 0
        for row in rows:
            records += record(data, row)
            total += int(row[AMOUNT[layout]])
            both = dict(header_values, **row)
            lines.append(",".join(both.get(c, "") for c in columns))
        # The totals are left to the conversion to fill.
        lines.append(",")
        records += record(trailer, {"合計件数": str(len(rows)), "合計金額": str(total)})
    # The end record has no field of its own that is written: its line is empty.
    lines.append("")
    records += record(END, {})
    csv = ("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-8")
    return csv, records


def sogo():
    first = {"種別コード": "21", "コード区分": "0", "依頼人コード": "123",
             "依頼人名": "カ）ミナミデンキ", "振込指定日": "425", "仕向銀行番号": "1",
             "仕向銀行名": "ミドリ", "仕向支店番号": "12", "仕向支店名": "ホンテン",
             "預金種目(依頼人)": "1", "口座番号(依頼人)": "1234567"}
    second = dict(first, **{"振込指定日": "510", "仕向支店番号": "305",
                            "仕向支店名": "エキマエ", "口座番号(依頼人)": "7654321"})

    def row(bank, bank_name, branch, branch_name, kind, account, name, amount, mark=""):
        return {"被仕向銀行番号": bank, "被仕向銀行名": bank_name, "被仕向支店番号": branch,
                "被仕向支店名": branch_name, "手形交換所番号": "0", "預金種目": kind,
                "口座番号": account, "受取人名": name, "振込金額": amount, "新規コード": "0",
                "顧客コード1": "0", "顧客コード2": "0", "振込指定区分": "7", "識別表示": mark}

    return [
        (first, [row("1", "ミドリ", "12", "ホンテン", "1", "1111", "ヤマダ　タロウ", "15000"),
                 row("9", "アオバ", "1", "ギンザ", "2", "222222", "カ）ｆｕｊｉ　ｓｈｏｋａｉ",
                     "1234567", "y"),
                 row("33", "ハナゾノ", "100", "ダイバ", "1", "3333333",
                     "ド）ヴエルデ", "980")]),
        (second, [row("1", "ミドリ", "305", "エキマエ", "1", "44", "スズキ　ハナコ", "50000"),
                  row("150", "コウヨウ", "20", "ベツプ", "4", "5555555", "パク　ジロウ",
                      "1")]),
    ]


def kyuyo():
    header = {"種別コード": "11", "コード区分": "0", "会社コード": "2024",
              "会社名": "カ）ミナミデンキ", "振込指定日": "425", "仕向銀行番号": "1",
              "仕向銀行名": "ミドリ", "仕向支店番号": "12", "仕向支店名": "ホンテン",
              "預金種目(会社)": "1", "口座番号(会社)": "1234567"}

    def row(bank, bank_name, branch, branch_name, account, name, amount, employee, section):
        return {"被仕向銀行番号": bank, "被仕向銀行名": bank_name, "被仕向支店番号": branch,
                "被仕向支店名": branch_name, "手形交換所番号": "0", "預金種目": "1",
                "口座番号": account, "受取人名": name, "振込金額": amount, "新規コード": "0",
                "社員番号": employee, "所属コード": section}

    return [(header, [
        row("1", "ミドリ", "12", "ホンテン", "1001", "ヤマダ　タロウ", "254000", "1", "10"),
        row("9", "アオバ", "1", "ギンザ", "2002", "ワタナベ　ｍａｒｉ", "198500", "15", "20"),
        row("33", "ハナゾノ", "100", "ダイバ", "3003", "ゴトウ　ケンジ", "312750", "102", "10"),
    ])]


def furikae():
    header = {"種別コード": "91", "コード区分": "0", "委託者コード": "5678",
              "委託者名": "ミナミガクエン", "引落日": "527", "取引銀行番号": "1",
              "取引銀行名": "ミドリ", "取引支店番号": "12", "取引支店名": "ホンテン",
              "預金種目(委託者)": "1", "口座番号(委託者)": "1234567"}

    def row(bank, bank_name, branch, branch_name, account, name, amount, customer, new="0"):
        return {"引落銀行番号": bank, "引落銀行名": bank_name, "引落支店番号": branch,
                "引落支店名": branch_name, "預金種目": "1", "口座番号": account,
                "預金者名": name, "引落金額": amount, "新規コード": new, "顧客番号": customer,
                "振替結果コード": "0"}

    return [(header, [
        row("1", "ミドリ", "12", "ホンテン", "7001", "タナカ　ユウジ", "12000", "1", "1"),
        row("9", "アオバ", "1", "ギンザ", "7002", "デグチ　ｙｏｋｏ", "12000", "2"),
        row("33", "ハナゾノ", "100", "ダイバ", "7003", "ブンゴ　ペイ", "8500", "30"),
        row("150", "コウヨウ", "20", "ベツプ", "7004", "オオバ　ゾウ", "8500", "400"),
    ])]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "..",
                                                                "layouts", "samples")
    for name, groups in (("sogo", sogo()), ("kyuyo", kyuyo()), ("furikae", furikae())):
        csv, records = sample(name, groups)
        assert len(records) % RECORD == 0
        with open(os.path.join(folder, "zengin-%s.csv" % name), "wb") as f:
            f.write(csv)
        with open(os.path.join(folder, "zengin-%s.dat" % name), "wb") as f:
            f.write(records)


if __name__ == "__main__":
    main()
