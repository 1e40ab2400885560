#!/bin/sh
# Record-to-CSV throughput against what users would otherwise use: cp (the limit of the
# machine), sorvek-cli /C from a Release build, a GnuCOBOL program (cobc -x -O2) and a plain
# Python 3 script doing the same conversion. Two files of 100-byte records under /tmp: one kind
# of record ("one"), and headers with their detail lines told apart by a class code ("hd").
# Prints the median of RUNS runs in MB/s of input, the ratios and the peak memory, and checks
# that the three converters wrote the same bytes.
#
#   bench/rec2csv.sh [MEGABYTES [RUNS]]     defaults: 1074 MB (1 GiB), 3 runs
set -eu
cd "$(dirname "$0")/.."
MB=${1:-1074}
RUNS=${2:-3}
WORK=${TMPDIR:-/tmp}/sorvek-bench-rec2csv
BUILD=build-bench

./scripts/install-deps.sh --bench
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORVEK_BUILD_BENCH=ON \
  -DSORVEK_BUILD_TESTS=OFF -DSORVEK_BUILD_UI=OFF >/dev/null
cmake --build "$BUILD" -j2 --target sorvek-cli rec2csv_tool >/dev/null
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

# Runs one converter RUNS times; prints the median seconds and the largest peak memory (KiB).
measure() {  # name kind command...
  name=$1; kind=$2; shift 2
  times=""; peak=0
  i=0
  while [ $i -lt "$RUNS" ]; do
    rm -f "$WORK/out.$name.$kind"
    sync
    start=$(date +%s%N)
    /usr/bin/time -v -o "$WORK/time.txt" "$@" >/dev/null 2>"$WORK/err.txt" || {
      echo "$name failed:" >&2; cat "$WORK/err.txt" >&2; exit 1; }
    t=$(echo "$start $(date +%s%N)" | awk '{ printf "%.3f", ($2 - $1) / 1e9 }')
    m=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/time.txt")
    [ "$m" -gt "$peak" ] && peak=$m
    times="$times $t"
    i=$((i + 1))
  done
  median=$(echo $times | tr ' ' '\n' | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  echo "$median $peak"
}

report() {  # kind
  kind=$1; in="$WORK/$kind.dat"
  set -- $(measure cp "$kind" cp "$in" "$WORK/out.cp.$kind"); cp_t=$1; cp_m=$2
  if [ "$SORVEK" = "sorvek-cli /C" ]; then
    set -- $(measure sorvek "$kind" "$BUILD/sorvek-cli" /C "$in" "$WORK/out.sorvek.$kind" "$WORK/$kind.trd")
  else
    set -- $(measure sorvek "$kind" "$TOOL" run "$kind" "$in" "$WORK/out.sorvek.$kind")
  fi
  so_t=$1; so_m=$2
  set -- $(measure cobol "$kind" "$WORK/cobol_$kind" "$in" "$WORK/out.cobol.$kind"); co_t=$1; co_m=$2
  set -- $(measure python "$kind" python3 bench/rec2csv.py "$kind" "$in" "$WORK/out.python.$kind"); py_t=$1; py_m=$2
  same="yes"
  cmp -s "$WORK/out.sorvek.$kind" "$WORK/out.cobol.$kind" || same="NO (sorvek vs cobol)"
  cmp -s "$WORK/out.sorvek.$kind" "$WORK/out.python.$kind" || same="NO (sorvek vs python)"
  size=$(stat -c %s "$in")
  echo "== $kind: $(basename "$in"), $size bytes, median of $RUNS runs; same output: $same"
  awk -v size="$size" -v cp="$cp_t" -v so="$so_t" -v co="$co_t" -v py="$py_t" \
      -v cpm="$cp_m" -v som="$so_m" -v com="$co_m" -v pym="$py_m" -v name="$SORVEK" 'BEGIN {
    printf "  %-18s %8s %10s %10s\n", "", "seconds", "MB/s", "peak MiB"
    printf "  %-18s %8.2f %10.0f %10.1f\n", "cp", cp, size / cp / 1e6, cpm / 1024
    printf "  %-18s %8.2f %10.0f %10.1f\n", name, so, size / so / 1e6, som / 1024
    printf "  %-18s %8.2f %10.0f %10.1f\n", "GnuCOBOL -O2", co, size / co / 1e6, com / 1024
    printf "  %-18s %8.2f %10.0f %10.1f\n", "Python 3", py, size / py / 1e6, pym / 1024
    printf "  sorvek / cp = %.2f   sorvek / GnuCOBOL = %.1f   sorvek / Python = %.1f\n",
           cp / so, co / so, py / so
  }'
  rm -f "$WORK"/out.*."$kind"
}

echo "load before the runs: $(uptime)"
report one
report hd
echo "load after the runs: $(uptime)"
