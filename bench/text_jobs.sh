#!/bin/sh
# Builds sorvek-cli (Release) and times the line-ending and record-length jobs against cp, cat,
# unix2dos, dos2unix, tr and fold on a 1 GiB text file under /tmp. Extra arguments go to
# text_jobs.py (--size-mib N, --runs N, --dir DIR).
set -eu
cd "$(dirname "$0")/.."
bench/build.sh sorvek-cli
exec python3 bench/text_jobs.py build-bench/sorvek-cli "$@"
