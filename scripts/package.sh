#!/bin/sh
# Builds the Debian packages sorvek-cli and sorvek (cpack -G DEB) from a Release build without
# tests in build-deb; prints their names and contents.
set -eu
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"
BUILD=build-deb
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORVEK_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
(cd "$BUILD" && cpack -G DEB >/dev/null)
for deb in "$BUILD"/*.deb; do
  echo "== $deb" >&2
  dpkg-deb --info "$deb" | sed -n '/Package:/,/Description:/p' >&2
  dpkg-deb --contents "$deb" | awk '{ print "   " $6 }' >&2
done
