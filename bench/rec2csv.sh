#!/bin/sh
# Record-to-CSV throughput against what users would otherwise use: cp (the limit of the
# machine), sorvek-cli /C from a Release build, a GnuCOBOL program (cobc -x -O2) and a plain
# Python 3 script doing the same conversion. Two files of 100-byte records under /tmp: one kind
# of record ("one"), and headers with their detail lines told apart by a class code ("hd").
# Prints the median of RUNS runs (PAIRS × RUNS for sorvek-cli) in MB/s of input, the ratios and
# the peak memory, and checks that the three converters wrote the same bytes. In the same rounds
# it times sorvek-cli with --encoding utf-8 --quote minimal --trim (OPTIONS) and prints its
# throughput against the run without options.
#
#   [PAIRS=N] bench/rec2csv.sh [MEGABYTES [RUNS]]     defaults: 1074 MB (1 GiB), 3 runs, 3 pairs
set -eu
cd "$(dirname "$0")/.."
MB=${1:-1074}
RUNS=${2:-3}
PAIRS=${PAIRS:-3}
OPTIONS="--encoding utf-8 --quote minimal --trim"
WORK=${TMPDIR:-/tmp}/sorvek-bench-rec2csv
BUILD=build-bench

bench/build.sh sorvek-cli rec2csv_tool
mkdir -p "$WORK"
TOOL="$BUILD/bench/rec2csv_tool"
for kind in one hd; do
  cobc -x -O2 -o "$WORK/cobol_$kind" "bench/rec2csv_$kind.cob"
  "$TOOL" trd "$kind" "$WORK/$kind.trd"
  if [ ! -f "$WORK/$kind.dat" ] || [ "$(stat -c %s "$WORK/$kind.dat")" -ne $((MB * 1000000)) ]; then
    echo "Generating $WORK/$kind.dat ($MB MB)" >&2
    "$TOOL" gen "$kind" "$MB" "$WORK/$kind.dat"
  fi
done

# sorvek-cli reads the definition file; a build without the definition reader runs the same
# conversion through the helper, with the definition built in memory.
head -c 1000 "$WORK/one.dat" > "$WORK/probe.dat"
if "$BUILD/sorvek-cli" /C "$WORK/probe.dat" "$WORK/probe.csv" "$WORK/one.trd" 2>/dev/null; then
  SORVEK="sorvek-cli /C"
else
  SORVEK="rec2csv_tool run"
  echo "Note: sorvek-cli cannot read definition files in this build; timing rec2csv_tool run" >&2
fi

# Runs one converter once; appends its seconds and peak memory (KiB) to $WORK/t.NAME, m.NAME.
run_once() {  # name command...
  name=$1; shift
  rm -f "$WORK"/out.*
  sync
  start=$(date +%s%N)
  /usr/bin/time -v -o "$WORK/time.txt" "$@" >/dev/null 2>"$WORK/err.txt" || {
    echo "$name failed:" >&2; cat "$WORK/err.txt" >&2; exit 1; }
  echo "$start $(date +%s%N)" | awk '{ printf "%.3f\n", ($2 - $1) / 1e9 }' >> "$WORK/t.$name"
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/time.txt" >> "$WORK/m.$name"
}

median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
largest() { sort -n "$1" | tail -1; }

# The converters take turns, run after run, so that a change in the machine's load touches
# them alike.
report() {  # kind
  kind=$1; in="$WORK/$kind.dat"
  rm -f "$WORK"/t.* "$WORK"/m.*
  same="yes"
  i=0
  while [ $i -lt "$RUNS" ]; do
    run_once cp cp "$in" "$WORK/out.cp"
    # The runs of sorvek-cli are short beside the others and the machine's load moves them by
    # a third from one run to the next: they run PAIRS times a round, with and without the
    # options in turn, so that their medians rest on more runs.
    p=0
    while [ $p -lt "$PAIRS" ]; do
      if [ "$SORVEK" = "sorvek-cli /C" ]; then
        run_once sorvek "$BUILD/sorvek-cli" /C "$in" "$WORK/out.sorvek" "$WORK/$kind.trd"
      else
        run_once sorvek "$TOOL" run "$kind" "$in" "$WORK/out.sorvek"
      fi
      # The output is compared by its digest, not kept: an output of a gigabyte kept through
      # the next run has that run start while the machine writes it back, which slowed the
      # run after it by up to four times.
      if [ $p -eq 0 ]; then ref=$(sha256sum < "$WORK/out.sorvek"); fi
      rm -f "$WORK/out.sorvek"
      if [ "$SORVEK" = "sorvek-cli /C" ]; then
        run_once options "$BUILD/sorvek-cli" $OPTIONS /C "$in" "$WORK/out.options" "$WORK/$kind.trd"
      fi
      p=$((p + 1))
    done
    run_once cobol "$WORK/cobol_$kind" "$in" "$WORK/out.cobol"
    [ "$(sha256sum < "$WORK/out.cobol")" = "$ref" ] || same="NO (sorvek and GnuCOBOL differ)"
    run_once python python3 bench/rec2csv.py "$kind" "$in" "$WORK/out.python"
    [ "$(sha256sum < "$WORK/out.python")" = "$ref" ] || same="NO (sorvek and Python differ)"
    i=$((i + 1))
  done
  rm -f "$WORK"/out.*
  size=$(stat -c %s "$in")
  echo "== $kind: $size bytes, median of $RUNS runs ($((RUNS * PAIRS)) of sorvek-cli);" \
    "same output: $same"
  awk -v size="$size" -v name="$SORVEK" \
      -v cp="$(median "$WORK/t.cp")" -v so="$(median "$WORK/t.sorvek")" \
      -v co="$(median "$WORK/t.cobol")" -v py="$(median "$WORK/t.python")" \
      -v cpm="$(largest "$WORK/m.cp")" -v som="$(largest "$WORK/m.sorvek")" \
      -v com="$(largest "$WORK/m.cobol")" -v pym="$(largest "$WORK/m.python")" 'BEGIN {
    printf "  %-18s %8s %10s %10s\n", "", "seconds", "MB/s", "peak MiB"
    printf "  %-18s %8.3f %10.0f %10.1f\n", "cp", cp, size / cp / 1e6, cpm / 1024
    printf "  %-18s %8.3f %10.0f %10.1f\n", name, so, size / so / 1e6, som / 1024
    printf "  %-18s %8.3f %10.0f %10.1f\n", "GnuCOBOL -O2", co, size / co / 1e6, com / 1024
    printf "  %-18s %8.3f %10.0f %10.1f\n", "Python 3", py, size / py / 1e6, pym / 1024
    printf "  sorvek / cp = %.2f   sorvek / GnuCOBOL = %.1f   sorvek / Python = %.1f\n",
           cp / so, co / so, py / so
  }'
  if [ -s "$WORK/t.options" ]; then
    awk -v size="$size" -v so="$(median "$WORK/t.sorvek")" -v op="$(median "$WORK/t.options")" \
        -v opm="$(largest "$WORK/m.options")" -v opts="$OPTIONS" 'BEGIN {
      printf "  %-18s %8.3f %10.0f %10.1f   (%s)\n", "sorvek + options", op, size / op / 1e6,
             opm / 1024, opts
      printf "  throughput with the options / without = %.2f (at least 0.80 wanted)\n", so / op
    }'
  fi
}

echo "load before the runs: $(uptime)"
report one
report hd
echo "load after the runs: $(uptime)"
