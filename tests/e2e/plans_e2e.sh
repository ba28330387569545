#!/usr/bin/env bash
# End to end: the plan page driven through its dialogs with mouse and
# keyboard. Two tasks are added, one is ticked done, the other moved to the
# next day; the stored records are checked after the close, and again after
# a further start and close. Argument: the build's bin folder (the program,
# velmora-cli and the template).
E2E_BIN=$1
CLI="$E2E_BIN/velmora-cli"
source "$(dirname "$0")/e2e_lib.sh"
start_session

show_logs() {
  local log
  for log in "$E2E_ROOT"/program-*.log; do
    [[ -f "$log" ]] || continue
    echo "-- program log $(basename "$log"):" >&2
    cat "$log" >&2
  done
}
trap 'status=$?; ((status == 0 || status == 77)) || show_logs; end_session' EXIT

# Places in the main window's client area (330 x 560, fixed size): the row
# of plan buttons sits just above the bottom strip, 49 px apart; the grid's
# task rows are 20 px high below its header.
ADD_BUTTON=(24 513)
MOVE_BUTTON=(269 513)
FIRST_ROW=(200 310)
SECOND_ROW=(200 330)
# In the plan dialog: the category "重要，不急" (B).
SECOND_CATEGORY=(173 96)
# In the move dialog: the date field, and the OK button.
DATE_FIELD_END=(200 85)
MOVE_OK=(130 168)

today=$(date +%F)
tomorrow=$(date -d "$today next day" +%F)

stored_plans() { "$CLI" --data "$prog" plans "$1"; }
plan_records() { "$CLI" --data "$prog" ls plumora_plan/ | cut -f4 | sort; }

# add_task TEXT [CATEGORY_X CATEGORY_Y]: through the plan dialog.
add_task() {
  click_in "$MAIN_WINDOW" "${ADD_BUTTON[@]}"
  wait_window "新建任务"
  local dialog=$FOUND_WINDOW
  xdotool windowactivate --sync "$dialog"
  xdotool type --delay 20 "$1"
  if (($# == 3)); then click_in "$dialog" "$2" "$3"; fi
  xdotool key alt+s
  wait_window_gone "新建任务"
}

echo "-- add two tasks, tick one done, move the other to $tomorrow"
prog=$(new_program_folder prog zenqmodal.fx)
start_program "$prog"
wait_main_window
add_task "buy vegetables" "${SECOND_CATEGORY[@]}"
add_task "call the bank"
click_in "$MAIN_WINDOW" "${SECOND_ROW[@]}" 2
click_in "$MAIN_WINDOW" "${FIRST_ROW[@]}"
click_in "$MAIN_WINDOW" "${MOVE_BUTTON[@]}"
wait_window "计划变更"
move_dialog=$FOUND_WINDOW
# A click selects the whole date field; the date typed replaces it.
click_in "$move_dialog" "${DATE_FIELD_END[@]}"
xdotool type --delay 30 "$tomorrow"
sleep 0.3
click_in "$move_dialog" "${MOVE_OK[@]}"
wait_window_gone "计划变更"
close_and_wait
if [[ $(date +%F) != "$today" ]]; then
  echo "SKIP: the date changed while the test ran"
  exit 77
fi

echo "-- the stored records after the close"
today_expected=$'A\t已完成\tcall the bank'
tomorrow_expected=$'B\t进行中\t【变更】buy vegetables'
records_expected=$(printf 'plumora_plan/%s.txt\n' "${today//-/}" "${tomorrow//-/}" | sort)
today_stored=$(stored_plans "$today")
tomorrow_stored=$(stored_plans "$tomorrow")
[[ "$today_stored" == "$today_expected" ]] ||
  fail "$today's plans: expected \"$today_expected\", stored \"$today_stored\""
[[ "$tomorrow_stored" == "$tomorrow_expected" ]] ||
  fail "$tomorrow's plans: expected \"$tomorrow_expected\", stored \"$tomorrow_stored\""
[[ "$(plan_records)" == "$records_expected" ]] || fail "plan records: $(plan_records)"

echo "-- a further start shows today's done task and keeps the records as they are"
start_program "$prog"
wait_main_window
# Only a task loaded from the store can be refused a move for being done.
click_in "$MAIN_WINDOW" "${FIRST_ROW[@]}"
click_in "$MAIN_WINDOW" "${MOVE_BUTTON[@]}"
wait_message_over "$MAIN_WINDOW" "已完成的任务无法变更！"
close_and_wait
[[ "$(stored_plans "$today")" == "$today_expected" ]] ||
  fail "$today's plans after the restart: \"$(stored_plans "$today")\""
[[ "$(stored_plans "$tomorrow")" == "$tomorrow_expected" ]] ||
  fail "$tomorrow's plans after the restart: \"$(stored_plans "$tomorrow")\""
[[ "$(plan_records)" == "$records_expected" ]] ||
  fail "plan records after the restart: $(plan_records)"

echo "PASS"
