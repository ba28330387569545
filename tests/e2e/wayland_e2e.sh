#!/usr/bin/env bash
# End to end in a Wayland session: weston (headless, with Xwayland) and the
# Qt Wayland platform installed. The program runs as an X11 client on
# Xwayland (it finds its window there), weston places the window itself,
# and after an orderly exit the stored place is still the user's. Without
# Xwayland (no DISPLAY) it runs natively and says once what cannot work
# there. Argument: the build's bin folder.
set -euo pipefail
E2E_BIN=$1
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
command -v weston >/dev/null || { echo "weston is not installed" >&2; exit 77; }

ROOT=$(mktemp -d /tmp/velmora-wayland.XXXXXX)
export XDG_RUNTIME_DIR="$ROOT/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY QT_QPA_PLATFORM
WESTON_PID=""
cleanup() {
  status=$?
  ((status == 0)) || cat "$ROOT"/*.log >&2 || true
  pkill -P $$ velmora 2>/dev/null || true
  [[ -n $WESTON_PID ]] && kill "$WESTON_PID" 2>/dev/null
  rm -rf "$ROOT"
}
trap cleanup EXIT

weston --backend=headless-backend.so --xwayland --socket=velmora-test --width=1280 --height=800 \
  --idle-time=0 >"$ROOT/weston.log" 2>&1 &
WESTON_PID=$!
for _ in $(seq 100); do
  grep -q "xserver listening on display" "$ROOT/weston.log" && break
  sleep 0.1
done
x_display=$(grep -o "xserver listening on display :[0-9]*" "$ROOT/weston.log" | grep -o ":[0-9]*$") ||
  fail "weston started no Xwayland"
export WAYLAND_DISPLAY=velmora-test

prog="$ROOT/prog"
mkdir -p "$prog"
cp "$E2E_BIN/velmora" "$E2E_BIN/zenqmodal.fx" "$E2E_BIN/zenqholiday.txt" "$prog/"
printf '[option]\r\npos_top=150\r\npos_left=200\r\n' >"$prog/zenqset.kxi"

# run_until_window LOG [DISPLAY]: starts the program; sets PROGRAM_PID.
start_program() {
  if [[ -n ${2:-} ]]; then
    DISPLAY=$2 "$prog/velmora" >"$ROOT/$1" 2>&1 &
  else
    "$prog/velmora" >"$ROOT/$1" 2>&1 &
  fi
  PROGRAM_PID=$!
}
stop_program() {
  kill -TERM "$PROGRAM_PID"
  for _ in $(seq 100); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$PROGRAM_PID" 2>/dev/null && fail "the program did not end"
  wait "$PROGRAM_PID" || fail "exit status $? after SIGTERM"
}

echo "-- with Xwayland the program is an X11 client, and keeps the user's place"
start_program xwayland.log "$x_display"
window=""
for _ in $(seq 100); do
  window=$(DISPLAY=$x_display xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | head -n 1) && [[ -n $window ]] && break
  sleep 0.1
done
[[ -n $window ]] || fail "no X11 window on Xwayland"
sleep 1
where=$(DISPLAY=$x_display xwininfo -id "$window" | awk -F: '/Absolute upper-left [XY]/ { printf "%d ", $2 }')
echo "weston placed the window at $where (the stored place is 200 150)"
stop_program
grep -q $'^pos_left=200\r$' "$prog/zenqset.kxi" || fail "pos_left lost: $(grep pos_ "$prog/zenqset.kxi")"
grep -q $'^pos_top=150\r$' "$prog/zenqset.kxi" || fail "pos_top lost: $(grep pos_ "$prog/zenqset.kxi")"

echo "-- without Xwayland it runs natively and says once what cannot work"
start_program native.log
for _ in $(seq 100); do
  grep -qF "message: 当前是 Wayland 桌面" "$ROOT/native.log" && break
  sleep 0.1
done
grep -qF "message: 当前是 Wayland 桌面" "$ROOT/native.log" || fail "no note on the native platform"
stop_program
grep -q $'^wayland=1\r$' "$prog/zenqset.kxi" || fail "the note was not marked as told"
start_program native-again.log
sleep 3
stop_program
grep -qF "message:" "$ROOT/native-again.log" && fail "the note came again: $(cat "$ROOT/native-again.log")"
echo "PASS"
