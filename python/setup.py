# `pip install ./python`: the package with its native module, built by the repository's CMake.
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# The helper is imported without leaving compiled files in the sources.
sys.dont_write_bytecode = True
sys.path.insert(0, HERE)
from sorvek_build import setup_sorvek  # noqa: E402

setup_sorvek(os.path.dirname(HERE), ".")
