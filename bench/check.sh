#!/bin/sh
# The whole-file check against the speed of reading the file: `sorvek-cli --check FILE DEFINITION`
# over the record-to-CSV benchmark files (bench/rec2csv.sh makes the same ones under /tmp) and
# `dd if=FILE of=/dev/null bs=1M`, taking turns in the same run. Prints the median of RUNS runs
# in MB/s of input, the ratio check / dd and the peak memory of each; the same check with
# --jobs JOBS (several workers reading parts of the file) against it; then the in-memory
# micro-benchmarks of the inspection and of the preview rebuild (200 records x 100 fields).
#
#   bench/check.sh [MEGABYTES [RUNS [JOBS]]]     defaults: 1074 MB (1 GiB), 5 runs, 2 jobs
set -eu
cd "$(dirname "$0")/.."
MB=${1:-1074}
RUNS=${2:-5}
JOBS=${3:-2}
# The files of the default size are those of bench/rec2csv.sh; other sizes have a folder of their own.
if [ "$MB" -eq 1074 ]; then
  WORK=${TMPDIR:-/tmp}/sorvek-bench-rec2csv
else
  WORK=${TMPDIR:-/tmp}/sorvek-bench-check-$MB
fi
BUILD=build-bench

bench/build.sh sorvek-cli rec2csv_tool inspection_bench preview_bench
mkdir -p "$WORK"
TOOL="$BUILD/bench/rec2csv_tool"
for kind in one hd; do
  "$TOOL" trd "$kind" "$WORK/$kind.trd"
  if [ ! -f "$WORK/$kind.dat" ] || [ "$(stat -c %s "$WORK/$kind.dat")" -ne $((MB * 1000000)) ]; then
    echo "Generating $WORK/$kind.dat ($MB MB)" >&2
    "$TOOL" gen "$kind" "$MB" "$WORK/$kind.dat"
  fi
done

# Runs one command once; appends its seconds and peak memory (KiB) to $WORK/c.t.NAME, c.m.NAME.
# The check exits 1 when it finds problems: that is a result, not a failure of the run.
run_once() {  # name command...
  name=$1; shift
  start=$(date +%s%N)
  status=0
  /usr/bin/time -v -o "$WORK/c.time" "$@" >/dev/null 2>"$WORK/c.err" || status=$?
  if [ "$status" -gt 1 ]; then echo "$name failed ($status):" >&2; cat "$WORK/c.err" >&2; exit 1; fi
  echo "$start $(date +%s%N)" | awk '{ printf "%.3f\n", ($2 - $1) / 1e9 }' >> "$WORK/c.t.$name"
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/c.time" >> "$WORK/c.m.$name"
}

median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
largest() { sort -n "$1" | tail -1; }

report() {  # kind
  kind=$1; in="$WORK/$kind.dat"
  rm -f "$WORK"/c.t.* "$WORK"/c.m.*
  # One unmeasured read, so that both commands find the file in the system's cache.
  cat "$in" >/dev/null
  i=0
  while [ $i -lt "$RUNS" ]; do
    run_once dd dd if="$in" of=/dev/null bs=1M
    run_once check "$BUILD/sorvek-cli" --check "$in" "$WORK/$kind.trd"
    run_once jobs "$BUILD/sorvek-cli" --jobs "$JOBS" --check "$in" "$WORK/$kind.trd"
    i=$((i + 1))
  done
  size=$(stat -c %s "$in")
  echo "== $kind: $size bytes, median of $RUNS runs"
  awk -v size="$size" -v dd="$(median "$WORK/c.t.dd")" -v ck="$(median "$WORK/c.t.check")" \
      -v ddm="$(largest "$WORK/c.m.dd")" -v ckm="$(largest "$WORK/c.m.check")" \
      -v jb="$(median "$WORK/c.t.jobs")" -v jbm="$(largest "$WORK/c.m.jobs")" -v jobs="$JOBS" 'BEGIN {
    printf "  %-36s %8s %10s %10s\n", "", "seconds", "MB/s", "peak MiB"
    printf "  %-36s %8.3f %10.0f %10.1f\n", "dd if=FILE of=/dev/null bs=1M", dd, size / dd / 1e6, ddm / 1024
    printf "  %-36s %8.3f %10.0f %10.1f\n", "sorvek-cli --check FILE DEFINITION", ck, size / ck / 1e6, ckm / 1024
    printf "  %-36s %8.3f %10.0f %10.1f\n", "sorvek-cli --jobs " jobs " --check FILE DEF", jb, size / jb / 1e6, jbm / 1024
    printf "  check / dd throughput = %.2f (goal: 0.5 or more, in under 16 MiB)\n", dd / ck
    printf "  --jobs %d / --jobs 1 throughput = %.2f, --jobs %d / dd = %.2f\n", jobs, ck / jb, jobs, dd / jb
  }'
}

echo "load before the runs: $(uptime)"
report one
report hd
echo "load after the runs: $(uptime)"
echo "== in memory"
"$BUILD/bench/inspection_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  2>/dev/null | grep -E 'median|Benchmark'
"$BUILD/bench/preview_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  2>/dev/null | grep -E 'median|Benchmark'
echo "  (goal for PreviewRebuild: under 20 ms)"
