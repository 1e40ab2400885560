#!/bin/sh
# Record-to-CSV throughput on host data: the files of bench/rec2csv.sh ("one" and "hd", 100-byte
# records) and the same records on the Japanese EBCDIC page IBM930 (text with kanji between
# shift bytes, zoned digits F0-F9, class codes in EBCDIC, packed fields as they are), both
# converted by sorvek-cli /C to Shift-JIS, and to UTF-8 with --encoding utf-8 --trim. The two
# inputs take turns, run after run. Prints the median of RUNS runs in MB/s of input and the
# ratio EBCDIC / Shift-JIS, which should be at least 0.50.
#
#   bench/rec2csv_ebcdic.sh [MEGABYTES [RUNS]]     defaults: 1074 MB (1 GiB), 3 runs
set -eu
cd "$(dirname "$0")/.."
MB=${1:-1074}
RUNS=${2:-3}
WORK=${TMPDIR:-/tmp}/sorvek-bench-rec2csv
BUILD=build-bench

bench/build.sh sorvek-cli rec2csv_tool
mkdir -p "$WORK"
TOOL="$BUILD/bench/rec2csv_tool"
for kind in one hd; do
  "$TOOL" trd "$kind" "$WORK/$kind.trd"
  "$TOOL" trd-ebcdic "$kind" "$WORK/$kind-ebcdic.trd"
  if [ ! -f "$WORK/$kind.dat" ] || [ "$(stat -c %s "$WORK/$kind.dat")" -ne $((MB * 1000000)) ]; then
    echo "Generating $WORK/$kind.dat ($MB MB)" >&2
    "$TOOL" gen "$kind" "$MB" "$WORK/$kind.dat"
    rm -f "$WORK/$kind-ebcdic.dat"
  fi
  # A translation cut short (an interrupted run) has another size: made again. Written beside
  # and renamed, so that an interrupted translation leaves nothing behind.
  if [ ! -f "$WORK/$kind-ebcdic.dat" ] ||
     [ "$(stat -c %s "$WORK/$kind-ebcdic.dat")" -ne "$(stat -c %s "$WORK/$kind.dat")" ]; then
    echo "Translating $WORK/$kind.dat to IBM930" >&2
    "$TOOL" ebcdic "$kind" "$WORK/$kind.dat" "$WORK/$kind-ebcdic.dat.part"
    mv "$WORK/$kind-ebcdic.dat.part" "$WORK/$kind-ebcdic.dat"
  fi
done

run_once() {  # name options input definition
  name=$1; options=$2; in=$3; trd=$4
  rm -f "$WORK/out.ebcdic"
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  "$BUILD/sorvek-cli" -q $options /C "$in" "$WORK/out.ebcdic" "$trd"
  echo "$start $(date +%s%N)" | awk '{ printf "%.3f\n", ($2 - $1) / 1e9 }' >> "$WORK/t.$name"
}

median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

report() {  # kind options
  kind=$1; options=$2
  rm -f "$WORK"/t.*
  i=0
  while [ $i -lt "$RUNS" ]; do
    run_once sjis "$options" "$WORK/$kind.dat" "$WORK/$kind.trd"
    run_once ebcdic "$options" "$WORK/$kind-ebcdic.dat" "$WORK/$kind-ebcdic.trd"
    i=$((i + 1))
  done
  rm -f "$WORK/out.ebcdic"
  size=$(stat -c %s "$WORK/$kind.dat")
  awk -v size="$size" -v sj="$(median "$WORK/t.sjis")" -v eb="$(median "$WORK/t.ebcdic")" \
      -v kind="$kind" -v opts="${options:-(no options)}" 'BEGIN {
    printf "== %s, %s: %d bytes, median of runs\n", kind, opts, size
    printf "  %-12s %8.3f s %8.0f MB/s\n", "Shift-JIS", sj, size / sj / 1e6
    printf "  %-12s %8.3f s %8.0f MB/s\n", "IBM930", eb, size / eb / 1e6
    printf "  EBCDIC / Shift-JIS throughput = %.2f (at least 0.50 wanted)\n", sj / eb
  }'
}

echo "load before the runs: $(uptime)"
report one ""
report hd ""
report one "--encoding utf-8 --trim"
report hd "--encoding utf-8 --trim"
echo "load after the runs: $(uptime)"
