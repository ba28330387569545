#!/usr/bin/env bash
# End to end: a note written through the real editor is stored and still
# there after the next start; an anniversary added through its dialog three
# days ahead is announced when the program starts on its notice day (the
# clock moved with faketime). Argument: the build's bin folder.
E2E_BIN=$1
CLI="$E2E_BIN/velmora-cli"
source "$(dirname "$0")/e2e_lib.sh"
start_session
trap 'status=$?; ((status == 0)) || cat "$E2E_ROOT"/program-*.log >&2; end_session' EXIT

# Places in the main window's client area (330 x 560).
NOTE_TAB=(104 265)
NOTE_EDIT=(32 513)
TOOLS_TAB=(172 265)
FIRST_TOOL=(60 292)
# In the anniversary dialog's client area.
DATE_FIELD_DAY=(150 251)
DESCRIPTION=(296 307)
ADD=(103 369)
CONFIRM=(432 369)

today=$(date +%F)
notice_day=$(date -d "$today 3 days" +%F)
prog=$(new_program_folder prog zenqmodal.fx)

echo "-- a note through the editor"
start_program "$prog"
wait_main_window
click_in "$MAIN_WINDOW" "${NOTE_TAB[@]}"
click_in "$MAIN_WINDOW" "${NOTE_EDIT[@]}"
wait_window "Velmora备忘录"
xdotool type --delay 15 "first line of the note"
xdotool key Return
xdotool type --delay 15 "second line"
xdotool key alt+s
wait_window_gone "Velmora备忘录"
close_and_wait
expected_note=$'first line of the note\nsecond line'
[[ "$("$CLI" --data "$prog" note "$today")" == "$expected_note" ]] ||
  fail "stored note: $("$CLI" --data "$prog" note "$today")"

echo "-- started again, today's cell shows the note mark"
# The mark is a light blue square (A6CAF0) 1 px left of and 11 px below the
# top left corner of the day number's label, which for column c and row r of
# the month grid lies at (14 + 42c, 56 + 32r) in the window.
start_program "$prog"
wait_main_window
first=$(date -d "$(date +%Y-%m-01)" +%w)
cell=$((first + 10#$(date +%d) - 1))
client_origin "$MAIN_WINDOW"
mark_x=$((ORIGIN_X + 14 + 42 * (cell % 7) + 1))
mark_y=$((ORIGIN_Y + 56 + 32 * (cell / 7) + 13))
pixel=$(import -window root -crop "1x1+$mark_x+$mark_y" txt:- | grep -o 'srgb([0-9,]*)' | head -n 1)
[[ "$pixel" == "srgb(166,202,240)" ]] || fail "no note mark on today's cell (pixel $pixel at $mark_x,$mark_y)"
close_and_wait

echo "-- an anniversary on $notice_day + 3 days"
start_program "$prog"
wait_main_window
click_in "$MAIN_WINDOW" "${TOOLS_TAB[@]}"
click_in "$MAIN_WINDOW" "${FIRST_TOOL[@]}"
xdotool key Down Down Down Return
wait_window "纪念日提醒"
dialog=$FOUND_WINDOW
event_day=$(date -d "$notice_day 3 days" +%F)
# A click selects the whole date field; the date typed replaces it.
click_in "$dialog" "${DATE_FIELD_DAY[@]}"
xdotool type --delay 40 "$event_day"
click_in "$dialog" "${DESCRIPTION[@]}"
xdotool type --delay 15 "birthday"
click_in "$dialog" "${ADD[@]}"
click_in "$dialog" "${CONFIRM[@]}"
wait_window_gone "纪念日提醒"
close_and_wait
"$CLI" --data "$prog" ls plumora_files/ | grep -q 'plumora_files/datehint.txt' ||
  fail "the anniversary list was not stored"
[[ "$("$CLI" --data "$prog" note "$today")" == "$expected_note" ]] || fail "the note changed"

echo "-- started on $notice_day, the anniversary is announced"
PROGRAM_LOG="$E2E_ROOT/program-faketime.log"
faketime "$notice_day 10:00:00" "$prog/velmora" >"$PROGRAM_LOG" 2>&1 &
PROGRAM_PID=$!
wait_main_window
for _ in $(seq 50); do
  grep -qF "message: 今天距离【birthday】还有3天！" "$PROGRAM_LOG" && break
  sleep 0.1
done
grep -qF "message: 今天距离【birthday】还有3天！" "$PROGRAM_LOG" ||
  fail "no announcement (log: $(cat "$PROGRAM_LOG"))"
wait_window "纪念日提醒"
close_and_wait

echo "PASS"
