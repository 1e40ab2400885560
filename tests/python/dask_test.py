"""The Dask path on a local cluster of two worker processes: one output file with the bytes of
the sequential run, or a folder of numbered parts that join into them; a stop in the data raises
the program's message and leaves an existing output as it was.

usage: dask_test.py SORVEK_CLI     (with the built package on PYTHONPATH); exits 77 (skipped)
where Dask's distributed scheduler is not installed.
"""
import os
import random
import sys
import unittest

try:
    from distributed import Client, LocalCluster
except ImportError:
    print("skipped: python3-distributed is not installed")
    sys.exit(77)

import sorvek
import sorvek.dask
from random_cases import CaseFolder, random_case
from sorvek_test import sequential

CLI = None


class DaskTest(CaseFolder, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                   dashboard_address=None)
        cls.client = Client(cls.cluster)

    @classmethod
    def tearDownClass(cls):
        cls.client.close()
        cls.cluster.close()

    def test_one_file_or_numbered_parts_hold_the_bytes_of_the_sequential_run(self):
        rng = random.Random(25)
        for round in range(12):
            definition_bytes, data, options = random_case(rng)
            self.write_case(definition_bytes, data)
            expected, message = sequential(CLI, self.path("in.dat"), self.path("d.trd"), options)
            parts = 1 + round % 9
            where = f"round {round}, parts {parts}"
            with open(self.path("out.csv"), "wb") as f:
                f.write(b"old output")
            if message is None:
                sorvek.dask.convert(self.path("in.dat"), self.path("d.trd"), self.path("out.csv"),
                                    client=self.client, npartitions=parts, **options)
                with open(self.path("out.csv"), "rb") as f:
                    self.assertEqual(expected, f.read(), where)
                folder = self.path(f"parts{round}")
                sorvek.dask.convert(self.path("in.dat"), self.path("d.trd"), folder,
                                    client=self.client, parts=True, npartitions=parts, **options)
                names = sorted(os.listdir(folder))
                self.assertEqual([f"part-{i:05d}.csv" for i in range(parts)], names)
                joined = b""
                for name in names:
                    with open(os.path.join(folder, name), "rb") as f:
                        joined += f.read()
                self.assertEqual(expected, joined, where)
            else:
                with self.assertRaises(sorvek.SorvekError) as raised:
                    sorvek.dask.convert(self.path("in.dat"), self.path("d.trd"),
                                        self.path("out.csv"), client=self.client,
                                        npartitions=parts, **options)
                self.assertEqual(message, str(raised.exception), where)
                with open(self.path("out.csv"), "rb") as f:
                    self.assertEqual(b"old output", f.read(), where)
            self.assertEqual(["d.trd", "in.dat", "out.csv"],
                             sorted(n for n in os.listdir(self.dir.name)
                                    if not n.startswith("parts")), where)


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    import sorvek_test
    sorvek_test.CLI = CLI
    unittest.main()
