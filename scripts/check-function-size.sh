#!/bin/sh
# Fails when a function of the engine (src/engine/*.cpp and the engine headers they include) is
# longer than 80 lines, as clang-tidy's readability-function-size counts them (blank lines and
# comments included): a longer function is cut into steps with names. Reads the compile commands
# of BUILD (default build). Without clang-tidy it says so and exits with 77, which ctest counts
# as skipped (the test engine_function_size runs it).
#
#   scripts/check-function-size.sh [BUILD]
set -eu
cd "$(dirname "$0")/.."
BUILD="${1:-build}"

TIDY=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$TIDY" ]; then
  echo "function sizes: clang-tidy not found, not checked" >&2
  exit 77
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# The engine's headers are seen through the layer's include folder (build/layers/engine/engine);
# the GCC build's compile commands hold warning options that clang does not know.
if "$TIDY" -p "$BUILD" --quiet --checks='-*,readability-function-size' \
  --warnings-as-errors='readability-function-size' \
  --header-filter='(src|layers/engine)/engine/' \
  --config='{CheckOptions: [{key: readability-function-size.LineThreshold, value: 80}]}' \
  --extra-arg=-Wno-unknown-warning-option src/engine/*.cpp >"$log" 2>&1; then
  echo "function sizes: no function of the engine is longer than 80 lines" >&2
  exit 0
fi
grep -E 'error|note: [0-9]+ lines' "$log" >&2 || cat "$log" >&2
exit 1
