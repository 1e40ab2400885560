#!/bin/sh
# Builds the Windows zip, build-windows/sorvek-VERSION-win64.zip (cpack -G ZIP), from the
# Windows build of scripts/build-windows.sh (which takes the arguments); prints its name and
# contents. What it holds: cmake/windows_package.cmake.
set -eu
cd "$(dirname "$0")/.."

./scripts/build-windows.sh "$@" >/dev/null
(cd build-windows && cpack -G ZIP >/dev/null)
zip=$(ls -t build-windows/sorvek-*-win64.zip | head -n 1)
echo "$zip"
cmake -E tar tf "$zip" | sed 's/^/   /' >&2
