#!/usr/bin/env bash
# Builds the Windows cross build (preset "mingw") and runs its tests under
# Wine. Wine keeps its own Windows installation (the "prefix") inside the
# build folder, so a run never touches ~/.wine and a fresh machine needs
# nothing but the packages. Arguments go to ctest (for example -R Gb18030).
# Exits non-zero when the build or any test fails.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir="$PWD/build/mingw"

export WINEDEBUG=-all
export WINEPREFIX="$build_dir/wine-prefix"
# No .NET or browser engine (their installers would ask for a download) and
# no menu entries written into the user's home.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
# Console programs only: Wine must not look for a display.
unset DISPLAY WAYLAND_DISPLAY

cmake --preset mingw >/dev/null
flock /tmp/velmora-build.lock cmake --build --preset mingw

# The first start of a new prefix sets it up (several seconds) and prints
# notes of its own; do that here, once, and wait until it has settled, so
# the tests neither time out nor show the set-up's output.
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "wine-tests: preparing the Wine prefix in $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
fi
wineserver --wait

ctest --preset mingw "$@"
