#!/usr/bin/env bash
# End to end under a window manager: a window parked at (450, 86) is at
# (450, 86) after ten restarts, on screen and in the settings file; it must
# not move by the size of the window manager's frame at every start.
# Argument: the build's bin folder.
E2E_BIN=$1
source "$(dirname "$0")/e2e_lib.sh"
start_session

prog=$(new_program_folder prog zenqmodal.fx)
printf '[option]\r\npos_top=86\r\npos_left=450\r\n' >"$prog/zenqset.kxi"
stored() { grep -a "^$1=" "$prog/zenqset.kxi" | tr -d '\r' | cut -d= -f2; }

for run in $(seq 10); do
  start_program "$prog"
  wait_main_window
  client_origin "$MAIN_WINDOW"
  [[ "$ORIGIN_X $ORIGIN_Y" == "450 86" ]] ||
    fail "start $run: the window is at $ORIGIN_X,$ORIGIN_Y instead of 450,86"
  close_and_wait
  [[ "$(stored pos_left),$(stored pos_top)" == "450,86" ]] ||
    fail "start $run: stored $(stored pos_left),$(stored pos_top) instead of 450,86"
done
echo "PASS"
