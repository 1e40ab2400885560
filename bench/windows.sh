#!/bin/sh
# Builds the Linux sorvek-cli and rec2csv_tool (Release, build-bench) and the Windows
# sorvek-cli.exe (Release, build-windows), then times /C and /E LF on 1 GiB files under
# /tmp/sorvek-bench-windows with both, the .exe under wine, in turns; prints the ratio
# wine/Linux and whether it is within 2. Extra arguments go to windows.py (--size-mib N,
# --runs N, --dir DIR).
#
#   bench/windows.sh [--size-mib 1024] [--runs 3] [--dir /tmp/sorvek-bench-windows]
set -eu
cd "$(dirname "$0")/.."
bench/build.sh sorvek-cli rec2csv_tool
SORVEK_JOBS="${SORVEK_JOBS:-2}" scripts/build-windows.sh >/dev/null
exec /usr/bin/python3 bench/windows.py build-bench/sorvek-cli build-windows/sorvek-cli.exe \
  build-bench/bench/rec2csv_tool "$@"
