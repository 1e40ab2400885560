#!/bin/sh
# Builds what running Sorvek needs (no tests, no benchmarks) in build-run, reusing it when it is
# there, and runs it: the desktop program when a display is present, otherwise the sample
# conversions with the console program. Installs missing Debian packages first.
set -eu
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"
BUILD=build-run
JOBS=$(nproc)
if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  TARGET=sorvek
else
  TARGET=sorvek-cli
fi
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORVEK_BUILD_TESTS=OFF \
    -DSORVEK_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$BUILD" -j "$JOBS" --target "$TARGET"

if [ "$TARGET" = sorvek ]; then
  cmake --build "$BUILD" -j "$JOBS" --target sorvek_manual >/dev/null
  exec "$BUILD/sorvek" "$@"
fi

CLI="$BUILD/sorvek-cli"
OUT="${TMPDIR:-/tmp}/sorvek-samples"
mkdir -p "$OUT"
echo "No display: running the sample conversions with $CLI" >&2
"$CLI" /E samples/mixed-endings.txt "$OUT/crlf.txt" CRLF
"$CLI" /E samples/mixed-endings.txt "$OUT/lf.txt" LF
# 48 bytes a record: every cut falls between two characters of this sample.
"$CLI" /L samples/mixed-endings.txt "$OUT/records-48.txt" 48
# The records as fixed-width Shift-JIS text, as the definition alone says, and as today's
# spreadsheet programs and CSV readers take it.
"$CLI" /C samples/orders.dat "$OUT/orders.csv" samples/orders.trd
"$CLI" --encoding utf-8-bom --quote minimal --trim --zoned-sign trailing \
  /C samples/orders.dat "$OUT/orders-utf8.csv" samples/orders.trd
echo "Output written to $OUT:" >&2
ls -l "$OUT" >&2
