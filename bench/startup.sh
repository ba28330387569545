#!/usr/bin/env bash
# Times real starts of the program under a virtual X server, with an empty
# container, and reports the median time to the main window and the peak
# resident memory: first a bare Qt window of the same size (the reference),
# then the program as shipped, then, in the same run, with a 1 MB remote
# settings file built to make the start read every key it can.
# Usage: bench/startup.sh [RUNS]  (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}

./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target velmora startup_timer bare_window zenqmodal

work=$(mktemp -d /tmp/velmora-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp build/release/bin/velmora build/release/bin/zenqmodal.fx "$work/"
cp build/release/bin/zenqmodal.fx "$work/zenqdata.fx"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
cat >"$work/both.sh" <<EOF
set -e
echo "-- a bare Qt window (the reference)"
build/release/bench/startup_timer build/release/bench/bare_window "$runs"
echo "-- no remote settings file"
build/release/bench/startup_timer "$work/velmora" "$runs"
bench/hostile_settings.sh "$work/zenqrset.kxi"
echo "-- a 1 MB remote settings file (\$(stat -c %s "$work/zenqrset.kxi") bytes)"
build/release/bench/startup_timer "$work/velmora" "$runs"
EOF
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/both.sh"
