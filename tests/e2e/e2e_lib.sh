# Helpers for the end-to-end tests: they run inside xvfb-run with a window
# manager, start the real program in a fresh folder and look at what it did.

set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

check() {
  local what=$1
  shift
  "$@" || fail "$what"
}

# A fresh private runtime folder and a window manager for this display.
start_session() {
  E2E_ROOT=$(mktemp -d /tmp/velmora-e2e.XXXXXX)
  export XDG_RUNTIME_DIR="$E2E_ROOT/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  export QT_QPA_PLATFORM=xcb
  jwm >/dev/null 2>&1 &
  E2E_WM=$!
  sleep 0.3
  trap end_session EXIT
}

end_session() {
  pkill -P $$ velmora 2>/dev/null || true
  kill "$E2E_WM" 2>/dev/null || true
  chattr -i "$E2E_ROOT"/* 2>/dev/null || true
  chmod -R u+w "$E2E_ROOT" 2>/dev/null || true
  rm -rf "$E2E_ROOT"
}

# new_program_folder NAME [files...]: a folder holding the program and the given files.
new_program_folder() {
  local folder="$E2E_ROOT/$1"
  shift
  mkdir -p "$folder"
  cp "$E2E_BIN/velmora" "$folder/" || { echo "FAIL: cannot copy the program" >&2; return 1; }
  for file in "$@"; do
    cp "$E2E_BIN/$file" "$folder/" || { echo "FAIL: cannot copy $file" >&2; return 1; }
  done
  echo "$folder"
}

# start_program FOLDER: starts it in the background; sets PROGRAM_PID and PROGRAM_LOG.
start_program() {
  PROGRAM_LOG="$E2E_ROOT/program-$RANDOM.log"
  "$1/velmora" >"$PROGRAM_LOG" 2>&1 &
  PROGRAM_PID=$!
}

wait_main_window() {
  MAIN_WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^Velmora$' | head -n 1) ||
    fail "the main window did not appear"
  sleep 0.3
}

# program_windows PID: the visible windows of the process but its icon in
# the window manager's tray (the status area), which is embedded there.
program_windows() {
  local window
  for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null |
      grep -q _KDE_NET_WM_WINDOW_TYPE_OVERRIDE || echo "$window"
  done
}

# stacking_rank WINDOW: where the window's frame stands among the top-level
# windows as the X server stacks them, 0 at the top.
stacking_rank() {
  local window root parent
  root=$(xwininfo -root | awk '/Window id:/ { print $4; exit }')
  window=$(printf '0x%x' "$1")
  while parent=$(xwininfo -id "$window" -tree | awk '/Parent window id:/ { print $4 }') &&
    [[ -n $parent && $parent != "$root" ]]; do
    window=$parent
  done
  xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }' |
    awk -v w="$window" '$1 == w { print NR - 1; found = 1 } END { if (!found) print -1 }'
}

# wait_message PID TEXT: the process shows a message box with this text; press OK.
wait_message() {
  local pid=$1 text=$2 box
  for _ in $(seq 50); do
    grep -qF "message: $text" "$PROGRAM_LOG" && break
    sleep 0.1
  done
  grep -qF "message: $text" "$PROGRAM_LOG" || fail "no message \"$text\" (log: $(cat "$PROGRAM_LOG"))"
  for _ in $(seq 100); do
    box=$(program_windows "$pid" | head -n 1) && [[ -n $box ]] && break
    sleep 0.1
  done
  [[ -n $box ]] || fail "no message box window"
  sleep 0.3
  xdotool windowactivate --sync "$box" key Return
}

# wait_exit PID: sets EXIT_STATUS, failing after ten seconds.
wait_exit() {
  local pid=$1
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "process $pid did not end"
  EXIT_STATUS=0
  wait "$pid" || EXIT_STATUS=$?
}

folder_is_empty() { [[ -d "$1" && -z "$(ls -A "$1")" ]]; }

snapshot() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

# wait_window TITLE: a visible window with exactly this title; sets FOUND_WINDOW.
wait_window() {
  FOUND_WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) ||
    fail "no window \"$1\" appeared"
  sleep 0.3
}

# wait_window_gone TITLE: no visible window with this title is left.
wait_window_gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null || return 0
    sleep 0.1
  done
  fail "the window \"$1\" is still open"
}

# client_origin WINDOW: the screen position of the window's client area,
# frame excluded, once two readings agree (the window manager may still be
# placing it). Sets ORIGIN_X and ORIGIN_Y.
client_origin() {
  local reading previous=""
  for _ in $(seq 30); do
    reading=$(xwininfo -id "$1" | awk -F: '/Absolute upper-left [XY]/ { printf "%d ", $2 }')
    [[ -n "$reading" && "$reading" == "$previous" ]] && break
    previous=$reading
    sleep 0.1
  done
  read -r ORIGIN_X ORIGIN_Y <<<"$reading"
  [[ -n "${ORIGIN_Y:-}" ]] || fail "no position for window $1"
}

# click_in WINDOW X Y [COUNT]: clicks COUNT times (default once) at X,Y of
# the window's client area.
click_in() {
  client_origin "$1"
  xdotool mousemove $((ORIGIN_X + $2)) $((ORIGIN_Y + $3)) \
    click --repeat "${4:-1}" --delay 80 1
  sleep 0.3
}

# wait_message_over WINDOW TEXT: like wait_message, for a message box the
# running program shows over its visible WINDOW; presses OK and waits for
# the box to go.
wait_message_over() {
  local owner=$1 text=$2 box=""
  for _ in $(seq 50); do
    grep -qF "message: $text" "$PROGRAM_LOG" && break
    sleep 0.1
  done
  grep -qF "message: $text" "$PROGRAM_LOG" || fail "no message \"$text\" (log: $(cat "$PROGRAM_LOG"))"
  for _ in $(seq 50); do
    box=$(program_windows "$PROGRAM_PID" | grep -vx "$owner" | head -n 1) && break
    sleep 0.1
  done
  [[ -n "$box" ]] || fail "no message box window"
  sleep 0.3
  xdotool windowactivate --sync "$box" key Return
  for _ in $(seq 50); do
    program_windows "$PROGRAM_PID" | grep -qx "$box" || return 0
    sleep 0.1
  done
  fail "the message box \"$text\" is still open"
}

# close_and_wait: closes the main window as a user does (Alt+F4) and waits
# for a clean exit.
close_and_wait() {
  xdotool windowactivate --sync "$MAIN_WINDOW" key alt+F4
  wait_exit "$PROGRAM_PID"
  [[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS after closing the window"
}
