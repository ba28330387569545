#!/usr/bin/env bash
# End to end under a window manager: the window dragged against the left
# edge docks there and slides away when the pointer leaves; with the pointer
# resting on the screen's very edge (x = 0) it slides out once and stays,
# instead of sliding in and out without end; `velmora --show` slides it out
# and it stays out until the pointer has passed over it. Argument: the
# build's bin folder.
if [[ -z ${VELMORA_PRIVATE_BUS:-} ]]; then
  exec env VELMORA_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
E2E_BIN=$1
source "$(dirname "$0")/e2e_lib.sh"
start_session

window_x() { xwininfo -id "$MAIN_WINDOW" | awk -F: '/Absolute upper-left X/ { print $2 + 0 }'; }

prog=$(new_program_folder prog zenqmodal.fx)
printf '[option]\r\npos_top=60\r\npos_left=300\r\n' >"$prog/zenqset.kxi"
start_program "$prog"
wait_main_window
sleep 1  # drags count once the window has settled at its first place

echo "-- drag the window by its title against the left edge"
client_origin "$MAIN_WINDOW"
grab_x=$((ORIGIN_X + 150)) grab_y=$((ORIGIN_Y - 10))
xdotool mousemove "$grab_x" "$grab_y" mousedown 1
for x in $(seq $((grab_x - 40)) -40 0); do
  xdotool mousemove "$x" "$grab_y"
  sleep 0.03
done
xdotool mousemove 0 "$grab_y"
sleep 0.2
xdotool mouseup 1

echo "-- the pointer leaves: the window hides behind the edge"
xdotool mousemove 700 500
for _ in $(seq 30); do
  hidden=$(window_x)
  ((hidden < 0)) && break
  sleep 0.1
done
((hidden < 0)) || fail "the window did not hide (x = $hidden)"

echo "-- the pointer rests at x = 0 for 3 s: one slide out, none back"
xdotool mousemove 0 "$grab_y"
positions=()
for _ in $(seq 100); do
  positions+=("$(window_x)")
  sleep 0.03
done
# Out means on screen (x >= 0), in means behind the edge. A slide out may
# overshoot the edge by part of a step before it settles; what must not
# happen is going back in.
back_in=0 was_out=0
for x in "${positions[@]}"; do
  if ((x >= 0)); then was_out=1; elif ((was_out)); then back_in=$((back_in + 1)); was_out=0; fi
done
echo "positions: ${positions[*]}"
((back_in == 0)) || fail "the window slid back in $back_in times"
((${positions[-1]} >= 0)) || fail "the window did not come out (x = ${positions[-1]})"

echo "-- hidden again, --show brings it out and it stays while the pointer is away"
xdotool mousemove 700 500
wait_x() {
  for _ in $(seq 30); do
    x=$(window_x)
    (($1)) && return 0
    sleep 0.1
  done
  fail "$2 (x = $x)"
}
wait_x 'x < 0' "the window did not hide"
"$prog/velmora" --show || fail "--show exited $?"
wait_x 'x >= 0' "--show did not bring the window out"
sleep 1
x=$(window_x)
((x >= 0)) || fail "the window slid back in with the pointer away (x = $x)"
echo "-- the pointer passes over it and leaves: it hides again"
client_origin "$MAIN_WINDOW"
xdotool mousemove $((ORIGIN_X + 40)) $((ORIGIN_Y + 40))
sleep 0.3
xdotool mousemove 700 500
wait_x 'x < 0' "the window stayed out after the pointer left"
close_and_wait
echo "PASS"
