#!/usr/bin/env bash
# Times real starts of the program under a virtual X server, with an empty
# container, and reports the median time to the main window and the peak
# resident memory: the program as shipped and a bare Qt window of the same
# size (the reference) start in turn, and the ratios of their medians are
# reported; then the program with a 1 MB remote settings file built to make
# the start read every key it can, against the same reference.
# Usage: bench/startup.sh [RUNS]  (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}

./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target velmora startup_timer bare_window zenqmodal velmora_fetch

work=$(mktemp -d /tmp/velmora-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The download client module too: its thread runs in every real start.
cp build/release/bin/velmora build/release/bin/zenqmodal.fx build/release/bin/velmora_fetch.so "$work/"
cp build/release/bin/zenqmodal.fx "$work/zenqdata.fx"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
cat >"$work/both.sh" <<EOF
set -e
echo "-- no remote settings file, against a bare Qt window"
build/release/bench/startup_timer "$work/velmora" "$runs" build/release/bench/bare_window
bench/hostile_settings.sh "$work/zenqrset.kxi"
echo "-- a 1 MB remote settings file (\$(stat -c %s "$work/zenqrset.kxi") bytes), against a bare Qt window"
build/release/bench/startup_timer "$work/velmora" "$runs" build/release/bench/bare_window
EOF
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/both.sh"
