# `pip install .`: the Python package (python/sorvek) with its native module, built by CMake.
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# The helper is imported without leaving compiled files in the sources.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(HERE, "python"))
from sorvek_build import setup_sorvek  # noqa: E402

setup_sorvek(HERE, "python")
