#!/bin/sh
# Sets up, builds and runs every test. With --sanitize: the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of its own.
set -eu
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

BUILD=build
FLAGS="-DCMAKE_BUILD_TYPE=Release"
if [ "${1:-}" = "--sanitize" ]; then
  BUILD=build-asan
  FLAGS="-DCMAKE_BUILD_TYPE=Debug -DSORVEK_SANITIZE=ON"
fi

cmake -S . -B "$BUILD" -G Ninja $FLAGS -DSORVEK_WERROR=ON -DSORVEK_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"
