#!/bin/sh
# Builds sorvek-cli and rec2csv_tool (Release) and times /R (CSV to records) against dd bs=1M on
# the record-to-CSV output of the benchmark's 1 GiB record files, checking that the records made
# are the original ones, with one worker and with --jobs N (the cores). Extra arguments go to
# csv2rec.py (--size-mib N, --runs N, --jobs N, --dir DIR; a
# tmpfs keeps the disk's writing back out of the times).
set -eu
cd "$(dirname "$0")/.."
bench/build.sh sorvek-cli rec2csv_tool
exec /usr/bin/python3 bench/csv2rec.py build-bench/sorvek-cli build-bench/bench/rec2csv_tool "$@"
