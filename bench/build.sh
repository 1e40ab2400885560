#!/bin/sh
# Installs what the benchmarks need and builds TARGETS in the Release folder build-bench, which
# every benchmark script shares (no tests, no desktop program). Prints nothing but failures.
#
#   bench/build.sh TARGET...
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORVEK_BUILD_BENCH=ON \
  -DSORVEK_BUILD_TESTS=OFF -DSORVEK_BUILD_UI=OFF >/dev/null
cmake --build build-bench -j2 --target "$@" >/dev/null
