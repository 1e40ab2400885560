#!/bin/sh
# Installs the Debian 12 packages the build, the tests and the benchmarks need, skipping those
# already present. Runs apt-get as root (through sudo when not root).
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config libcli11-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev libbenchmark-dev python3-pandas python3-openpyxl libreoffice-calc-nogui
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
  clang clang-format clang-tidy libclang-rt-14-dev
  qt6-translations-l10n xvfb xauth fonts-noto-cjk
  time gnucobol3 nlohmann-json3-dev groff-base
  python3-dev pybind11-dev python3-dask python3-distributed
  python3-venv python3-pip python3-setuptools python3-wheel ccache"
if [ "${1:-}" = "--bench" ]; then
  PACKAGES="$PACKAGES dos2unix python3"
fi

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
