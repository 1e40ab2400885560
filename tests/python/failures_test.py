"""Every front end says the same of a file that fails: the console program's three jobs and its
check, the C API (through the shared library) and the Python module give the same message, and
the libraries the same kind of failure.

usage: failures_test.py SORVEK_CLI LIBSORVEK     (with the built package on PYTHONPATH)
"""
import ctypes
import os
import pickle
import socket
import stat
import subprocess
import sys
import tempfile
import unittest

import sorvek

CLI = None
LIBRARY = None
SAMPLES = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "samples"))
ORDERS = os.path.join(SAMPLES, "orders.trd")
NOBODY = 65534


def unprivileged(work):
    """work() as a user that file permissions apply to: in a child that gave up root, when this
    process is root (root reads and writes whatever the permission bits say)."""
    if os.geteuid() != 0:
        return work()
    reader, writer = os.pipe()
    child = os.fork()
    if child == 0:
        try:
            os.close(reader)
            os.setgroups([])
            os.setgid(NOBODY)
            os.setuid(NOBODY)
            result = work()
            with os.fdopen(writer, "wb") as out:
                pickle.dump(result, out)
        finally:
            os._exit(0)
    os.close(writer)
    with os.fdopen(reader, "rb") as got:
        data = got.read()
    os.waitpid(child, 0)
    return pickle.loads(data)


def console(*arguments):
    """The message the console program shows (standard error, without its last line feed)."""
    run = subprocess.run([CLI, "-q", *arguments], capture_output=True)
    if run.returncode != 1:
        return f"exit status {run.returncode}: {run.stderr!r}"
    return run.stderr.decode("utf-8").rstrip("\n")


class Capi:
    """The C API through the shared library, as a program that links it calls it."""

    def __init__(self, path):
        self.lib = ctypes.CDLL(path)
        self.lib.sorvek_last_error.restype = ctypes.c_char_p
        self.lib.sorvek_error_kind_name.restype = ctypes.c_char_p

    def failure(self):
        lib = self.lib
        return (lib.sorvek_last_error().decode("utf-8"),
                lib.sorvek_error_kind_name(lib.sorvek_last_error_kind()).decode())

    def convert(self, input, output, definition):
        """(message, kind) of the failed load or conversion."""
        handle = ctypes.c_void_p()
        if self.lib.sorvek_definition_load(definition.encode(), ctypes.byref(handle)) != 0:
            return self.failure()
        try:
            if self.lib.sorvek_convert(input.encode(), output.encode(), handle, 1) == 0:
                return ("converted", "none")
            return self.failure()
        finally:
            self.lib.sorvek_definition_free(handle)


def python_failure(call):
    """(message, kind) of the sorvek.Error that `call` raises."""
    try:
        call()
    except sorvek.Error as error:
        assert str(error) == error.message
        return (error.message, error.kind)
    return ("no failure", "none")


class FailuresTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        os.chmod(self.folder, 0o755)  # reached by the unprivileged user too
        self.capi = Capi(LIBRARY)

    def tearDown(self):
        subprocess.run(["rm", "-rf", self.folder])

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, data=b"H00001D012\r\n"):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def expect_everywhere(self, text, kind, input, output, definition=ORDERS, jobs=True,
                          check=True, unprivileged_user=False):
        """The same message from every front end that meets the failure: the jobs (when the
        failure is not the definition's), the check (when it is not the output's), the C API and
        the Python module; the libraries with `kind`. `unprivileged_user`: as a user that the
        permission bits apply to."""
        def every():
            said = {}
            if jobs:
                said["/L"] = (console("/L", input, output, "80"), kind)
                said["/E"] = (console("/E", input, output, "LF"), kind)
            said["/C"] = (console("/C", input, output, definition), kind)
            if check:
                said["--check"] = (console("--check", input, definition), kind)
                said["sorvek.check"] = python_failure(lambda: sorvek.check(input, definition))
            said["C API"] = self.capi.convert(input, output, definition)
            said["sorvek.convert"] = python_failure(
                lambda: sorvek.convert(input, output, definition))
            return said

        def reachable():
            # The programs and the libraries must be reachable for the user the child became.
            for path in (CLI, LIBRARY, sorvek.__file__):
                if not os.access(path, os.R_OK):
                    return {"unreachable": path}
            return every()

        said_by = unprivileged(reachable) if unprivileged_user else every()
        if "unreachable" in said_by:
            self.skipTest(f"{said_by['unreachable']} cannot be read without root")
        for front_end, said in said_by.items():
            self.assertEqual((text, kind), said, front_end)

    def test_an_input_that_is_missing(self):
        missing = self.path("missing.dat")
        self.expect_everywhere("入力ファイルが存在しません。\nfni = " + missing, "not_found",
                               missing, self.path("out.csv"))

    def test_a_folder_as_the_input(self):
        os.mkdir(self.path("folder"))
        self.expect_everywhere(
            "ファイルのオープンに失敗しました。\nfni = " + self.path("folder") +
            "\nフォルダが指定されています。", "is_directory", self.path("folder"),
            self.path("out.csv"))

    def test_an_input_without_permission(self):
        input = self.write("secret.dat")
        os.chmod(input, 0)
        self.expect_everywhere(
            "ファイルのオープンに失敗しました。\nfni = " + input + "\nアクセスが拒否されました。",
            "permission", input, self.path("out.csv"), unprivileged_user=True)

    def test_a_fifo_as_the_definition(self):
        fifo = self.path("d.trd")
        os.mkfifo(fifo)
        self.expect_everywhere(
            fifo + " はレコード定義ファイルではありません。\n" + fifo +
            " の読み込み中にエラーが発生しました。\n通常のファイルではありません。",
            "device_or_socket", self.write("in.dat"), self.path("out.csv"), definition=fifo,
            jobs=False)

    def test_a_socket_as_the_input(self):
        listening = socket.socket(socket.AF_UNIX)
        self.addCleanup(listening.close)
        listening.bind(self.path("in.sock"))
        self.expect_everywhere(
            "ファイルのオープンに失敗しました。\nfni = " + self.path("in.sock") +
            "\nデバイスがありません。", "device_or_socket", self.path("in.sock"),
            self.path("out.csv"))

    def test_a_device_without_a_driver_as_the_input(self):
        if os.geteuid() != 0:
            self.skipTest("making a device node (mknod) needs root")
        device = self.path("device")
        # A character device of a number set aside for local use, which no driver takes.
        os.mknod(device, 0o666 | stat.S_IFCHR, os.makedev(240, 0))
        self.expect_everywhere(
            "ファイルのオープンに失敗しました。\nfni = " + device + "\nデバイスがありません。",
            "device_or_socket", device, self.path("out.csv"))

    def test_no_space_for_the_output(self):
        self.expect_everywhere(
            "ファイルの書き込みに失敗しました。\nfno = /dev/full\n"
            "ディスクの空き容量が不足しています。", "no_space", self.write("in.dat"),
            "/dev/full", check=False)


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    LIBRARY = sys.argv.pop(1)
    unittest.main()
