#!/bin/sh
# Sets up, builds and runs every test. With --sanitize: the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of its own. With --thread: the core and console
# tests under ThreadSanitizer (the desktop program's tests need an instrumented Qt).
set -eu
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

BUILD=build
FLAGS="-DCMAKE_BUILD_TYPE=Release"
case "${1:-}" in
  --sanitize)
    BUILD=build-asan
    FLAGS="-DCMAKE_BUILD_TYPE=Debug -DSORVEK_SANITIZE=ON"
    # The 4 GiB inputs prove 64-bit offsets, which the plain run shows; under the sanitizers
    # they take over a minute of writing and reading.
    export GTEST_FILTER='-LargeFile.*'
    ;;
  --thread)
    BUILD=build-tsan
    FLAGS="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEK_SANITIZE_THREAD=ON -DSORVEK_BUILD_UI=OFF"
    # The 4 GiB inputs prove 64-bit offsets, not threading, and take minutes under the sanitizer.
    export GTEST_FILTER='-LargeFile.*'
    ;;
esac

cmake -S . -B "$BUILD" -G Ninja $FLAGS -DSORVEK_WERROR=ON -DSORVEK_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"
