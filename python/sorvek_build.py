"""The package `sorvek` as setup.py builds it (here and at the repository's root): the native
module `sorvek._sorvek` is made by the repository's own CMake build, of that one target, in a
temporary folder, and put into the wheel beside the package's Python files. The version is the
project's (CMakeLists.txt).

Environment: CMAKE_ARGS, further options for the configure step; CMAKE_BUILD_PARALLEL_LEVEL, the
number of compiler runs. ccache, when on the PATH, serves the compiler.
"""
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

MODULE_TARGET = "sorvek_python"


def project_version(root):
    """The version of project(Sorvek VERSION ...) in the root CMakeLists.txt."""
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"project\(\s*Sorvek\s+VERSION\s+([0-9][0-9.]*)", f.read())
    if match is None:
        raise RuntimeError(f"no project version in {root}/CMakeLists.txt")
    return match.group(1)


class _NativeModule(Extension):
    """The module CMake builds; setuptools compiles no source of its own."""

    def __init__(self, root):
        super().__init__("sorvek._sorvek", sources=[])
        self.root = root


class _CMakeBuild(build_ext):
    def build_extension(self, ext):
        with tempfile.TemporaryDirectory(prefix="sorvek-module-") as build:
            env = dict(os.environ)
            configure = ["cmake", "-S", ext.root, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                         "-DSORVEK_BUILD_UI=OFF", "-DSORVEK_BUILD_TESTS=OFF",
                         # The interpreter that installs is the one the module is built for.
                         f"-DPython3_EXECUTABLE={sys.executable}"]
            if shutil.which("ninja"):
                configure += ["-G", "Ninja"]
            if shutil.which("ccache") and "CMAKE_CXX_COMPILER_LAUNCHER" not in env:
                configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
                # The folder's name changes at every build: paths in it are hashed relative to
                # it, so that the next build finds the same objects in the cache.
                env.setdefault("CCACHE_BASEDIR", os.path.realpath(build))
            configure += shlex.split(env.get("CMAKE_ARGS", ""))
            subprocess.run(configure, check=True, env=env)
            made = subprocess.run(["cmake", "--build", build, "--target", MODULE_TARGET], env=env)
            built = glob.glob(os.path.join(build, "python", "sorvek", "_sorvek*.so"))
            if made.returncode != 0 or len(built) != 1:
                sys.exit("sorvek: the native module was not built. It needs CMake, a C++20 "
                         "compiler, Python's headers (python3-dev), pybind11 (pybind11-dev) and "
                         "CLI11 (libcli11-dev); scripts/install-deps.sh installs them on Debian 12.")
            target = self.get_ext_fullpath(ext.name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(built[0], target)


def setup_sorvek(root, package_folder):
    """Runs setuptools for the package in `package_folder` (relative to the calling setup.py) of
    the repository at `root`. Setuptools' own work folders are temporary too, so that installing
    writes nothing into the sources (nor into a CMake build folder named build)."""
    with open(os.path.join(root, "python", "sorvek", "__init__.py"), encoding="utf-8") as f:
        summary = f.read().split('"""')[1].split("\n\n")[0].replace("\n", " ")
    with tempfile.TemporaryDirectory(prefix="sorvek-setup-") as work:
        setup(
            name="sorvek",
            version=project_version(root),
            description=summary,
            license="Apache-2.0",
            python_requires=">=3.9",
            packages=["sorvek"],
            package_dir={"": package_folder},
            ext_modules=[_NativeModule(root)],
            cmdclass={"build_ext": _CMakeBuild},
            extras_require={"dask": ["dask", "distributed"]},
            zip_safe=False,
            options={"build": {"build_base": os.path.join(work, "build")},
                     "egg_info": {"egg_base": work}},
        )
