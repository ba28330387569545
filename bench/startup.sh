#!/usr/bin/env bash
# Times real starts of the program under a virtual X server, with an empty
# container, and reports the median time to the main window and the peak
# resident memory. Usage: bench/startup.sh [RUNS]  (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}

./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target velmora startup_timer zenqmodal

work=$(mktemp -d /tmp/velmora-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp build/release/bin/velmora build/release/bin/zenqmodal.fx "$work/"
cp build/release/bin/zenqmodal.fx "$work/zenqdata.fx"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1024x768x24" build/release/bench/startup_timer "$work/velmora" "$runs"
