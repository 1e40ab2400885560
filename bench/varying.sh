#!/bin/sh
# Builds sorvek-cli (Release) and times the record-to-CSV conversion of records whose table's
# occurrences a counter gives, behind record descriptor words, against the fixed layout of the
# same records. Extra arguments go to varying.py (--size-mib N, --runs N, --jobs N, --dir DIR; a
# tmpfs keeps the disk's writing back out of the times).
set -eu
cd "$(dirname "$0")/.."
bench/build.sh sorvek-cli
exec /usr/bin/python3 bench/varying.py build-bench/sorvek-cli "$@"
