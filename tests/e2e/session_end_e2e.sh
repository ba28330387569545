#!/usr/bin/env bash
# End to end: the ways a session ends without the window's close button.
# A plan added through the plan page is stored when the program is killed
# (SIGKILL) three seconds later, when the terminal it was started from closes
# (SIGHUP, an orderly close), and when its X server goes away under it at
# once. Text typed into the task dialog or the note editor, not yet
# confirmed, is stored when SIGTERM or SIGHUP ends the session.
# Argument: the build's bin folder (the program, velmora-cli and the template).
E2E_BIN=$1
CLI="$E2E_BIN/velmora-cli"
source "$(dirname "$0")/e2e_lib.sh"
start_session

ADD_BUTTON=(24 513)
NOTE_TAB=(104 265)
NOTE_EDIT=(32 513)
today=$(date +%F)

add_task() {
  click_in "$MAIN_WINDOW" "${ADD_BUTTON[@]}"
  wait_window "新建任务"
  xdotool windowactivate --sync "$FOUND_WINDOW"
  xdotool type --delay 20 "$1"
  xdotool key alt+s
  wait_window_gone "新建任务"
}

expect_stored() {
  "$CLI" --data "$1" plans "$today" | grep -qF "$2" ||
    fail "\"$2\" was not stored (plans: $("$CLI" --data "$1" plans "$today" 2>&1))"
}

expect_note() {
  [[ "$("$CLI" --data "$1" note "$today")" == "$2" ]] ||
    fail "the note \"$2\" was not stored (note: $("$CLI" --data "$1" note "$today" 2>&1))"
}

# end_with_open_dialog SIGNAL DIALOG: the program ends by SIGNAL while the
# task dialog ("task") or the note editor ("note") holds typed, unconfirmed text.
end_with_open_dialog() {
  local signal=$1 dialog=$2 typed="$1 ends the $2 dialog"
  local prog
  prog=$(new_program_folder "$signal-$dialog" zenqmodal.fx)
  start_program "$prog"
  wait_main_window
  if [[ $dialog == task ]]; then
    click_in "$MAIN_WINDOW" "${ADD_BUTTON[@]}"
    wait_window "新建任务"
  else
    click_in "$MAIN_WINDOW" "${NOTE_TAB[@]}"
    click_in "$MAIN_WINDOW" "${NOTE_EDIT[@]}"
    wait_window "Velmora备忘录"
  fi
  xdotool windowactivate --sync "$FOUND_WINDOW"
  xdotool type --delay 20 "$typed"
  kill "-$signal" "$PROGRAM_PID"
  wait_exit "$PROGRAM_PID"
  [[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS after SIG$signal"
  if [[ $dialog == task ]]; then expect_stored "$prog" "$typed"; else expect_note "$prog" "$typed"; fi
}

for signal in TERM HUP; do
  for dialog in task note; do
    echo "-- SIG$signal with the $dialog dialog open"
    end_with_open_dialog "$signal" "$dialog"
  done
done

echo "-- killed (SIGKILL) three seconds after an edit"
prog=$(new_program_folder killed zenqmodal.fx)
start_program "$prog"
wait_main_window
add_task "survives a kill"
sleep 3
kill -KILL "$PROGRAM_PID"
wait_exit "$PROGRAM_PID"
expect_stored "$prog" "survives a kill"

echo "-- the terminal closes (SIGHUP): an orderly close"
prog=$(new_program_folder hangup zenqmodal.fx)
start_program "$prog"
wait_main_window
add_task "survives a hangup"
kill -HUP "$PROGRAM_PID"
wait_exit "$PROGRAM_PID"
[[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS after SIGHUP"
grep -q '^pos_height=' "$prog/zenqset.kxi" || fail "the settings were not saved on SIGHUP"
expect_stored "$prog" "survives a hangup"

echo "-- the X server goes away under the program"
number=$((90 + RANDOM % 100))
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
display=":$number"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xserver=$!
sleep 1
own_display=$DISPLAY
export DISPLAY=$display
jwm >/dev/null 2>&1 &
sleep 0.3
prog=$(new_program_folder lostdisplay zenqmodal.fx)
start_program "$prog"
wait_main_window
add_task "survives a lost display"
kill -KILL "$xserver"
wait_exit "$PROGRAM_PID"
export DISPLAY=$own_display
expect_stored "$prog" "survives a lost display"
grep -q '^pos_height=' "$prog/zenqset.kxi" || fail "the settings were not saved when the display went away"
echo "PASS"
