#!/usr/bin/env bash
# End to end: "屏幕截图" double-clicked on the tools page, two clicks on the
# frozen screen, Yes, and a JPEG name typed into the save dialog: the file
# is a JPEG of the chosen size and the clipboard holds a picture of the
# same size. Argument: the build's bin folder.
E2E_BIN=$1
source "$(dirname "$0")/e2e_lib.sh"
start_session
trap 'status=$?; ((status == 0)) || cat "$E2E_ROOT"/program-*.log >&2; end_session' EXIT

# Places in the main window's client area (330 x 560), and on the screen.
TOOLS_TAB=(172 265)
CAPTURE_ENTRY=(56 420)
CORNER_A=(600 330)
CORNER_B=(400 200)

prog=$(new_program_folder prog zenqmodal.fx)
picture="$E2E_ROOT/shot.jpg"

start_program "$prog"
wait_main_window
click_in "$MAIN_WINDOW" "${TOOLS_TAB[@]}"
click_in "$MAIN_WINDOW" "${CAPTURE_ENTRY[@]}" 2
sleep 1 # the screen is copied 300 ms after the double click
# The corners the other way round: the area is the same.
xdotool mousemove "${CORNER_A[@]}" click 1
sleep 0.3
xdotool mousemove "${CORNER_B[@]}" click 1
wait_message "$PROGRAM_PID" "所选区域已截取到剪贴板。是否将其保存为文件？"
sleep 1 # the save dialog
xdotool type --delay 10 "$picture"
xdotool key Return
for _ in $(seq 50); do
  [[ -s "$picture" ]] && break
  sleep 0.1
done
[[ "$(identify -format '%m %w %h' "$picture" 2>&1)" == "JPEG 200 130" ]] ||
  fail "saved picture: $(identify "$picture" 2>&1)"
clip=$(xclip -selection clipboard -t image/png -o | identify -format '%w %h' - 2>&1)
[[ "$clip" == "200 130" ]] || fail "clipboard picture: $clip"
close_and_wait

echo "PASS"
