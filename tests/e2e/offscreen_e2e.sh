#!/usr/bin/env bash
# The program without any display, on Qt's offscreen platform (tests,
# headless use): it starts, runs past the moment its window-manager hints
# are sent, and on SIGTERM closes in order, saving its settings. Then once
# more with a FIFO as the local settings and a link to /dev/zero as the
# remote settings: both count as absent, and the start neither blocks nor
# runs out of memory. Argument: the folder holding velmora and zenqmodal.fx.
set -euo pipefail

bin=$1
root=$(mktemp -d /tmp/velmora-offscreen.XXXXXX)
trap 'if [[ $pid -gt 0 ]]; then kill "$pid" 2>/dev/null || true; fi; rm -rf "$root"' EXIT
pid=0
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
mkdir "$root/prog"
cp "$bin/velmora" "$bin/zenqmodal.fx" "$root/prog/"

# run_and_close: starts the program, checks it is alive after 2 s, ends it
# with SIGTERM and checks the orderly close.
run_and_close() {
  QT_QPA_PLATFORM=offscreen "$root/prog/velmora" >"$root/log" 2>&1 &
  pid=$!
  sleep 2
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: the program ended by itself; its output:" >&2
    cat "$root/log" >&2
    exit 1
  fi
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  pid=0
  [[ $status -eq 0 ]] || { echo "FAIL: exit status $status; output: $(cat "$root/log")" >&2; exit 1; }
  [[ -f "$root/prog/zenqset.kxi" ]] || { echo "FAIL: the settings were not saved" >&2; exit 1; }
  grep -q '^pos_height=' "$root/prog/zenqset.kxi" || { echo "FAIL: settings incomplete" >&2; exit 1; }
  [[ -f "$root/prog/zenqdata.fx" && ! -e "$root/prog/zenqdata.fx-wal" ]] ||
    { echo "FAIL: the container was not closed in order" >&2; exit 1; }
}

run_and_close
echo "offscreen start and orderly close: ok"

rm "$root/prog/zenqset.kxi"
mkfifo "$root/prog/zenqset.kxi"
ln -s /dev/zero "$root/prog/zenqrset.kxi"
run_and_close
for name in zenqset.kxi zenqrset.kxi; do
  grep -qF "velmora: $root/prog/$name is not a regular file; ignored" "$root/log" ||
    { echo "FAIL: no diagnostic line for $name; output: $(cat "$root/log")" >&2; exit 1; }
done
echo "a FIFO and a /dev/zero link as settings: ok"
