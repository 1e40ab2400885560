#!/bin/sh
# Builds sorvek-cli and rec2csv_tool (Release) and times every job with --jobs 1 and --jobs N
# against dd bs=1M on 1 GiB files under /tmp, and the Dask path on one local worker against two. Extra arguments go to parallel.py (--size-mib N,
# --runs N, --jobs N, --dir DIR).
#
#   bench/parallel.sh [--size-mib 1024] [--runs 3] [--jobs 2]
set -eu
cd "$(dirname "$0")/.."
bench/build.sh sorvek-cli rec2csv_tool
# The Dask path too, where the Python module can be built.
PACKAGE=""
if cmake --build build-bench -j2 --target sorvek_python_package >/dev/null 2>&1; then
  PACKAGE="--package build-bench/python"
fi
exec /usr/bin/python3 bench/parallel.py build-bench/sorvek-cli build-bench/bench/rec2csv_tool $PACKAGE "$@"
