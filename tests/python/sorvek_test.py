"""The Python module: the joined parts of every plan equal the console program's sequential
output, from a path and from bytes, through pickling; the records as typed values; the check
report; the failures.

usage: sorvek_test.py SORVEK_CLI     (with the built package on PYTHONPATH)
"""
import decimal
import os
import pickle
import random
import subprocess
import sys
import unittest

import sorvek
from random_cases import CaseFolder, cli_arguments, random_case

CLI = None
SAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "samples")


def sequential(cli, data_path, definition_path, options):
    """What sorvek-cli writes to standard output (the lines before a stop included) and the
    message it shows when it stops, or None."""
    run = subprocess.run([cli, "-q", "--jobs", "1"] + cli_arguments(options) +
                         ["/C", data_path, "-", definition_path], capture_output=True)
    message = run.stderr.decode("utf-8").rstrip("\n") if run.returncode else None
    return run.stdout, message


class SorvekModuleTest(CaseFolder, unittest.TestCase):
    def test_joined_parts_equal_the_sequential_run_for_every_part_count(self):
        rng = random.Random(15)
        for round in range(40):
            definition_bytes, data, options = random_case(rng)
            self.write_case(definition_bytes, data)
            expected, message = sequential(CLI, self.path("in.dat"), self.path("d.trd"), options)
            definition = sorvek.load_definition(self.path("d.trd"), **options)
            for parts in range(1, 10):
                plan = sorvek.plan(self.path("in.dat"), definition, parts)
                self.assertEqual(parts, len(plan))
                joined, stop = b"", None
                for part in plan:
                    shipped = pickle.loads(pickle.dumps(part))
                    out, stop = sorvek.convert_part_result(self.path("in.dat"), definition,
                                                           shipped)
                    self.assertEqual((out, stop),
                                     sorvek.convert_part_result(data, definition, part))
                    joined += out
                    if stop is not None:
                        break
                where = f"round {round}, parts {parts}"
                self.assertEqual(expected, joined, where)
                self.assertEqual(message, stop, where)

            # The whole conversion with several threads: the same bytes, or the same message.
            if message is None:
                sorvek.convert(self.path("in.dat"), self.path("out.csv"), self.path("d.trd"),
                               jobs=3, **options)
                with open(self.path("out.csv"), "rb") as f:
                    self.assertEqual(expected, f.read())
            else:
                with self.assertRaises(sorvek.SorvekError) as raised:
                    sorvek.convert(self.path("in.dat"), self.path("out.csv"),
                                   self.path("d.trd"), jobs=3, **options)
                self.assertEqual(message, str(raised.exception))

    def test_records_give_typed_values_of_each_line(self):
        rows = list(sorvek.records(os.path.join(SAMPLES, "orders.dat"),
                                   os.path.join(SAMPLES, "orders.trd")))
        with open(os.path.join(SAMPLES, "orders.csv"), "rb") as f:
            lines = f.read().split(b"\r\n")
        self.assertEqual(len(lines) - 2, len(rows))  # without the title line and the last end
        first = rows[0]
        self.assertEqual(decimal.Decimal("12345"), first["受注番号"])
        self.assertEqual(decimal.Decimal("105.00"), first["単価"])
        self.assertEqual("ボールペン黒    ", first["商品名"])
        self.assertTrue(any(row["金額"] < 0 for row in rows))

    def test_check_reports_as_the_console_does(self):
        report = sorvek.check(os.path.join(SAMPLES, "orders.dat"),
                              os.path.join(SAMPLES, "orders.trd"))
        self.assertFalse(report["problems"])
        # The lines written count the title line.
        self.assertEqual(report["lines_written"] - 1, len(list(sorvek.records(
            os.path.join(SAMPLES, "orders.dat"), os.path.join(SAMPLES, "orders.trd")))))

    def test_check_with_several_workers_gives_the_report_of_one(self):
        # Past the bytes read as a whole at the start, so that several parts follow it.
        with open(os.path.join(SAMPLES, "orders.dat"), "rb") as f:
            orders = f.read()
        data = self.path("many.dat")
        with open(data, "wb") as f:
            f.write(orders * (9 * 1024 * 1024 // len(orders)) + b"H0")
        definition = os.path.join(SAMPLES, "orders.trd")
        one = sorvek.check(data, definition)
        self.assertEqual(1, len(set(str(sorvek.check(data, definition, jobs=jobs))
                                    for jobs in (1, 2, 3, 0))))
        self.assertEqual(2, one["trailing_bytes"])

    def test_text_goes_back_to_its_records(self):
        definition = os.path.join(SAMPLES, "orders.trd")
        # In Shift-JIS the text keeps its bytes; through UTF-8 the sample's NEC-selected kanji
        # would come back as its IBM extension code, as Windows writes it (the manual says so).
        for options in ({}, {"quote": "all", "trim": True, "line_end": "lf"}):
            sorvek.convert(os.path.join(SAMPLES, "orders.dat"), self.path("o.csv"), definition,
                           **options)
            sorvek.to_records(self.path("o.csv"), self.path("back.dat"), definition,
                              record_end="crlf", **options)
            with open(self.path("back.dat"), "rb") as got, \
                    open(os.path.join(SAMPLES, "orders.dat"), "rb") as want:
                self.assertEqual(want.read(), got.read(), options)
        # A file per kind: the paths written come back; the one kind's file is the one output.
        written = sorvek.convert(os.path.join(SAMPLES, "orders.dat"), self.path("k.csv"),
                                 definition, split_kinds=True)
        self.assertEqual([self.path("k.受注明細.csv")], written)
        with open(written[0], "rb") as got, \
                open(os.path.join(SAMPLES, "orders.csv"), "rb") as want:
            self.assertEqual(want.read(), got.read())
        # A workbook is the one output, split_kinds or not: its sheets are the kinds.
        self.assertIsNone(sorvek.convert(os.path.join(SAMPLES, "orders.dat"),
                                         self.path("book.xlsx"), definition, format="xlsx",
                                         split_kinds=True))
        with open(self.path("book.xlsx"), "rb") as book:
            self.assertEqual(b"PK\x03\x04", book.read(4))
        with open(self.path("bad.csv"), "wb") as f:
            f.write(b"title\r\n1,2\r\n")  # after the title line two values: no kind's line
        with self.assertRaises(sorvek.Error) as raised:
            sorvek.to_records(self.path("bad.csv"), self.path("back.dat"), definition)
        self.assertEqual("invalid_data", raised.exception.kind)

    def test_failures_raise_with_the_programs_message(self):
        with self.assertRaises(sorvek.SorvekError) as raised:
            sorvek.plan(self.path("missing.dat"), os.path.join(SAMPLES, "orders.trd"), 2)
        self.assertIn("missing.dat", str(raised.exception))
        with self.assertRaises(sorvek.SorvekError):
            sorvek.load_definition(os.path.join(SAMPLES, "orders.trd"), quote="some")
        with self.assertRaises(sorvek.SorvekError):
            sorvek.load_definition(os.path.join(SAMPLES, "orders.trd"), colour="red")
        # The input's options are taken as the command line takes them.
        with self.assertRaises(sorvek.Error) as raised:
            sorvek.load_definition(os.path.join(SAMPLES, "orders.trd"), record_format="w")
        self.assertEqual(("record_format に指定できる値は fixed|v|vb です: w", "refused_argument"),
                         (raised.exception.message, raised.exception.kind))
        orders = os.path.join(SAMPLES, "orders.dat")
        run = subprocess.run([CLI, "-q", "--input-code-page", "ibm930", "/C", orders, "-",
                              os.path.join(SAMPLES, "orders.trd")], capture_output=True)
        try:
            sorvek.convert(orders, self.path("ebcdic.csv"), os.path.join(SAMPLES, "orders.trd"),
                           input_code_page="ibm930")
            with open(self.path("ebcdic.csv"), "rb") as f:
                self.assertEqual((0, run.stdout), (run.returncode, f.read()))
        except sorvek.Error as error:
            self.assertEqual((1, error.message), (run.returncode, run.stderr.decode().rstrip()))
        with open(self.path("out.csv"), "wb") as f:
            f.write(b"old output")
        with open(self.path("bad.dat"), "wb") as f:
            f.write(b"X" + b"0" * 60 + b"\r\n")  # whole, of no kind the definition knows
        with self.assertRaises(sorvek.SorvekError):
            sorvek.convert(self.path("bad.dat"), self.path("out.csv"),
                           os.path.join(SAMPLES, "orders.trd"))
        with open(self.path("out.csv"), "rb") as f:
            self.assertEqual(b"old output", f.read())
        # Worker and part counts beyond any use are refused, naming the argument.
        with self.assertRaises(ValueError) as raised:
            sorvek.convert(orders, self.path("out.csv"), os.path.join(SAMPLES, "orders.trd"),
                           jobs=10**6)
        self.assertIn("jobs", str(raised.exception))
        with self.assertRaises(ValueError):
            sorvek.check(orders, os.path.join(SAMPLES, "orders.trd"), jobs=10**6)
        with self.assertRaises(sorvek.Error) as raised:
            sorvek.plan(orders, os.path.join(SAMPLES, "orders.trd"), 10**7)
        self.assertEqual("refused_argument", raised.exception.kind)
        # A switch takes a bool; a path with a NUL would have written another file.
        with self.assertRaises(TypeError) as raised:
            sorvek.convert(orders, self.path("out.csv"), os.path.join(SAMPLES, "orders.trd"),
                           trim="no")
        self.assertIn("trim", str(raised.exception))
        with self.assertRaises(ValueError) as raised:
            sorvek.convert(orders, self.path("o\x00.csv"), os.path.join(SAMPLES, "orders.trd"))
        self.assertIn("output", str(raised.exception))
        self.assertFalse(os.path.exists(self.path("o")))


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    unittest.main()
