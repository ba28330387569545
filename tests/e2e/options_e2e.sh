#!/usr/bin/env bash
# End to end: the options opened from the plan page's "提醒" button; the
# task reminder switched on with a new interval; OK writes "zenqset.kxi" at
# once. Then the helper beside the program, run as OK runs it, with autorun
# "1" and then "0" in that file: the logon start entry appears and is gone.
# Argument: the build's bin folder.
E2E_BIN=$1
source "$(dirname "$0")/e2e_lib.sh"
start_session
trap 'status=$?; ((status == 0)) || cat "$E2E_ROOT"/program-*.log >&2; end_session' EXIT

# Places in the main window's client area (330 x 560) and in the dialog's (307 x 327).
REMIND_BUTTON=(171 513)
TASK_SWITCH=(24 90)
INTERVAL_UP=(100 137)
OK_BUTTON=(175 309)

export HOME="$E2E_ROOT/home"
mkdir -p "$HOME"
prog=$(new_program_folder prog zenqmodal.fx vrx_reg)
printf '[option]\r\ntaskhint_use=0\r\ntaskhint_time=2\r\nautorun=0\r\ndesktoplink=0\r\n' >"$prog/zenqset.kxi"

echo "-- the task reminder switched on, every three hours"
start_program "$prog"
wait_main_window
click_in "$MAIN_WINDOW" "${REMIND_BUTTON[@]}"
wait_window "任务提醒"
dialog=$FOUND_WINDOW
click_in "$dialog" "${TASK_SWITCH[@]}"
click_in "$dialog" "${INTERVAL_UP[@]}"
click_in "$dialog" "${OK_BUTTON[@]}"
wait_window_gone "任务提醒"
grep -q '^taskhint_use=1' "$prog/zenqset.kxi" || fail "taskhint_use not stored: $(cat "$prog/zenqset.kxi")"
grep -q '^taskhint_time=3' "$prog/zenqset.kxi" || fail "taskhint_time not stored: $(cat "$prog/zenqset.kxi")"
close_and_wait

echo "-- the helper follows autorun"
entry="$HOME/.config/autostart/velmora.desktop"
sed -i 's/^autorun=.*/autorun=1\r/' "$prog/zenqset.kxi"
"$prog/vrx_reg" || fail "the helper failed with autorun 1"
[[ -f "$entry" ]] || fail "no autostart entry"
grep -qF "Exec=$prog/velmora" "$entry" || grep -qF "Exec=\"$prog/velmora\"" "$entry" ||
  fail "the entry does not start $prog/velmora: $(cat "$entry")"
sed -i 's/^autorun=.*/autorun=0\r/' "$prog/zenqset.kxi"
"$prog/vrx_reg" || fail "the helper failed with autorun 0"
[[ ! -e "$entry" ]] || fail "the autostart entry is still there"

echo "PASS"
