"""The package as pip installs it: `pip install --no-build-isolation --no-index ./python` into a
fresh virtual environment builds the native module offline, and the environment alone, run from
a folder outside the repository with nothing of the build tree on its path, converts a sample
file byte for byte as shipped, under the project's version, and the sources are left as they were.

usage: pip_install_test.py REPOSITORY VERSION     exits 77 (skipped) where the interpreter cannot
make a virtual environment with pip (python3-venv).
"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

REPOSITORY = None
VERSION = None
WORK = None  # the test's folder, with the environment in WORK/venv

# What the environment's interpreter reports, run in isolated mode (-I: no PYTHON* variables, no
# current folder, no user site on the path).
PROBE = """
import importlib.metadata, json, os, sys
import sorvek
samples = sys.argv[1]
sorvek.convert(os.path.join(samples, "orders.dat"), "orders.csv",
               os.path.join(samples, "orders.trd"))
with open("orders.csv", "rb") as f:
    output = f.read()
with open(os.path.join(samples, "orders.csv"), "rb") as f:
    expected = f.read()
print(json.dumps({"prefix": sys.prefix, "package": sorvek.__file__,
                  "native": sorvek._sorvek.__file__,
                  "files": sorted(os.listdir(os.path.dirname(sorvek.__file__))),
                  "version": importlib.metadata.version("sorvek"),
                  "same_output": output == expected}))
"""


def tree(folder):
    """Every path under `folder`, relative to it."""
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, folders, files in os.walk(folder) for name in folders + files)


def run(command, **options):
    done = subprocess.run(command, capture_output=True, text=True, **options)
    if done.returncode != 0:
        raise AssertionError(f"{command} failed ({done.returncode}):\n{done.stdout}{done.stderr}")
    return done.stdout


class PipInstallTest(unittest.TestCase):
    def test_the_installed_package_converts_from_outside_the_repository(self):
        python = os.path.join(WORK, "venv", "bin", "python")
        env = {k: v for k, v in os.environ.items() if not k.startswith("PYTHON")}
        # The build shares the machine with the other tests.
        env.setdefault("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        package_folder = os.path.join(REPOSITORY, "python")
        sources_before = tree(package_folder)

        run([python, "-m", "pip", "install", "--no-build-isolation", "--no-index",
             "--disable-pip-version-check", package_folder], cwd=WORK, env=env)

        self.assertEqual(sources_before, tree(package_folder), "installing wrote into the sources")
        outside = os.path.join(WORK, "outside")
        os.mkdir(outside)
        report = json.loads(run([python, "-I", "-c", PROBE, os.path.join(REPOSITORY, "samples")],
                                cwd=outside, env=env))
        site = os.path.realpath(report["prefix"])
        for name in ("package", "native"):
            self.assertTrue(os.path.realpath(report[name]).startswith(site + os.sep),
                            f"{name} {report[name]} is not the environment's")
        self.assertTrue(report["same_output"], "orders.dat converted differs from orders.csv")
        self.assertEqual(VERSION, report["version"])
        shipped = sorted(n for n in os.listdir(os.path.join(package_folder, "sorvek"))
                         if n.endswith(".py"))
        self.assertEqual(shipped, [n for n in report["files"] if n.endswith(".py")])
        self.assertEqual(1, len([n for n in report["files"] if n.startswith("_sorvek.")]))


def make_environment(folder):
    """Makes the environment `folder`/venv with pip, or returns why it could not."""
    made = subprocess.run([sys.executable, "-m", "venv", "--system-site-packages",
                           os.path.join(folder, "venv")], capture_output=True, text=True)
    return None if made.returncode == 0 else made.stdout + made.stderr


if __name__ == "__main__":
    REPOSITORY = os.path.abspath(sys.argv.pop(1))
    VERSION = sys.argv.pop(1)
    with tempfile.TemporaryDirectory(prefix="sorvek-pip-") as WORK:
        failure = make_environment(WORK)
        if failure is not None:
            print(failure + "skipped: python3-venv is not installed")
            sys.exit(77)
        passed = unittest.main(exit=False).result.wasSuccessful()
    sys.exit(0 if passed else 1)
