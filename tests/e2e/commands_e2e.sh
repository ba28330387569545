#!/usr/bin/env bash
# End to end: `velmora --toggle`, `--hide`, `--show` and `--quit` reach the
# running panel through the session bus (a private one, started here); a
# plain second start still says it is running; after the first instance
# was killed the next one takes commands again. Argument: the build's bin
# folder.
if [[ -z ${VELMORA_PRIVATE_BUS:-} ]]; then
  exec env VELMORA_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
E2E_BIN=$1
source "$(dirname "$0")/e2e_lib.sh"
start_session

visible() { xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; }
wait_hidden() {
  for _ in $(seq 50); do visible || return 0; sleep 0.1; done
  fail "the panel is still visible after: $1"
}
wait_visible() {
  for _ in $(seq 50); do visible && return 0; sleep 0.1; done
  fail "the panel is not visible after: $1"
}

prog=$(new_program_folder prog zenqmodal.fx)
start_program "$prog"
first=$PROGRAM_PID
wait_main_window

"$prog/velmora" --toggle || fail "--toggle exited $?"
wait_hidden "--toggle"
"$prog/velmora" --toggle
wait_visible "the second --toggle"
"$prog/velmora" --hide
wait_hidden "--hide"
"$prog/velmora" --show
wait_visible "--show"

echo "-- a plain second start still says so, above the hidden panel it brings out"
"$prog/velmora" --hide
wait_hidden "--hide before the second start"
start_program "$prog"
second=$PROGRAM_PID
for _ in $(seq 50); do
  grep -qF "message: “Velmora”已运行！" "$PROGRAM_LOG" && box=$(program_windows "$second" | head -n 1) &&
    [[ -n $box ]] && break
  sleep 0.1
done
[[ -n ${box:-} ]] || fail "no message box from the second start"
wait_visible "the second start"
panel=$(xdotool search --onlyvisible --name '^Velmora$' | head -n 1)
sleep 0.6
# The X server's stacking of the window manager's frames, top first.
box_at=$(stacking_rank "$box") panel_at=$(stacking_rank "$panel")
echo "stacking: box at $box_at, panel at $panel_at (0 is the top)"
((box_at >= 0 && box_at < panel_at)) || fail "the message is not above the panel"
xdotool windowactivate --sync "$box" key Return
wait_exit "$second"

echo "-- --quit runs the orderly close"
"$prog/velmora" --quit || fail "--quit exited $?"
wait_exit "$first"
[[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS after --quit"
grep -q '^pos_top=' "$prog/zenqset.kxi" || fail "the settings were not saved"
status=0
"$prog/velmora" --quit 2>"$E2E_ROOT/none.txt" || status=$?
((status == 0)) || fail "--quit without a panel exited $status"
grep -q "没有正在运行的面板" "$E2E_ROOT/none.txt" || fail "--quit without a panel said nothing"
status=0
"$prog/velmora" --frobnicate 2>/dev/null || status=$?
((status == 2)) || fail "an unknown argument exited $status"

echo "-- a killed instance leaves nothing that stops the next"
start_program "$prog"
wait_main_window
kill -9 "$PROGRAM_PID"
wait "$PROGRAM_PID" 2>/dev/null || true
start_program "$prog"
wait_main_window
"$prog/velmora" --hide
wait_hidden "--hide after a killed instance"
"$prog/velmora" --quit
wait_exit "$PROGRAM_PID"
echo "PASS"
