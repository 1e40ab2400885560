#!/bin/sh
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang in build-fuzz and runs each for a
# bounded time on a copy of its seed corpus (fuzz/corpus/<target>/). A crash, a hang (an input
# that takes longer than the timeout), a leak or a memory blow-up fails the script; the input
# that caused it is kept in build-fuzz/artifacts/.
# FUZZ_SECONDS sets the time per target (default 60).
set -eu
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

BUILD=build-fuzz
SECONDS_PER_TARGET="${FUZZ_SECONDS:-60}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DSORVEK_BUILD_FUZZ=ON -DSORVEK_BUILD_TESTS=OFF -DSORVEK_BUILD_UI=OFF -DSORVEK_WERROR=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

mkdir -p "$BUILD/artifacts" "$BUILD/logs"
failed=""
for source in fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  corpus="$BUILD/corpus/$name"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$name" ]; then
    cp "fuzz/corpus/$name"/* "$corpus"/
  fi
  set -- -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$BUILD/artifacts/$name-" -print_final_stats=1
  if [ -f "fuzz/$name.dict" ]; then
    set -- "$@" -dict="fuzz/$name.dict"
  fi
  log="$BUILD/logs/$name.log"
  echo "fuzzing $name for ${SECONDS_PER_TARGET}s" >&2
  if "$BUILD/fuzz/$name" "$@" "$corpus" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | sed "s/^/  $name /" >&2 || true
  else
    echo "FAILED: $name (log: $log)" >&2
    tail -n 60 "$log" >&2
    failed="$failed $name"
  fi
done

if [ -n "$failed" ]; then
  echo "fuzzing found problems in:$failed" >&2
  exit 1
fi
echo "fuzzing found no problem" >&2
