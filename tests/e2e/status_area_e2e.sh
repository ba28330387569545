#!/usr/bin/env bash
# End to end: the icon in the status area, read as a desktop's panel reads
# it, through a stand-in StatusNotifierWatcher on a private session bus. The
# program starts seconds before midnight on New Year's Eve (the clock moved
# with faketime): the icon and its tooltip follow the date change to a day
# off; a click brings out the hidden panel; the menu's entries hide it, open
# the options and close the program. Without a status notifier host the icon
# sits in the window manager's X11 tray; without either the program runs as
# before. Argument: the build's bin folder.
if [[ -z ${VELMORA_PRIVATE_BUS:-} ]]; then
  exec env VELMORA_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
fi
E2E_BIN=$1
source "$(dirname "$0")/e2e_lib.sh"
host="$(dirname "$0")/status_area/status_host.py"
start_session

visible() { xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; }
wait_until() {
  for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done
  return 1
}
tooltip_has() { /usr/bin/python3 "$host" tooltip | grep -qF "$1"; }

/usr/bin/python3 "$host" watcher >"$E2E_ROOT/watcher.log" 2>&1 &
watcher=$!
wait_until grep -q ready "$E2E_ROOT/watcher.log" || fail "the stand-in status area did not start"

prog=$(new_program_folder prog zenqmodal.fx zenqholiday.txt)
PROGRAM_LOG="$E2E_ROOT/program.log"
faketime "2025-12-31 23:59:55" "$prog/velmora" >"$PROGRAM_LOG" 2>&1 &
PROGRAM_PID=$!
wait_main_window

echo "-- before midnight: New Year's Eve"
tip=$(/usr/bin/python3 "$host" tooltip) || fail "no icon in the status area"
echo "$tip"
grep -qF "2025年12月31日 星期三" <<<"$tip" || fail "the tooltip lacks the date"
grep -qF "农历冬月十二" <<<"$tip" || fail "the tooltip lacks the lunar date"
icon=$(/usr/bin/python3 "$host" icon)
echo "$icon"
grep -q "16x16" <<<"$icon" || fail "no 16-pixel icon"
dark=$(awk '/^dark/ { print $2 }' <<<"$icon")
((dark > 10)) || fail "the icon has no day number on it"

echo "-- after midnight: New Year's Day, a day off"
for _ in $(seq 100); do tooltip_has "2026年1月1日" && break; sleep 0.1; done
tip=$(/usr/bin/python3 "$host" tooltip)
echo "$tip"
grep -qF "2026年1月1日 星期四" <<<"$tip" || fail "the tooltip did not change at midnight"
grep -qF "农历冬月十三" <<<"$tip" || fail "the lunar date did not change"
grep -qF "元旦" <<<"$tip" || fail "the festival is missing"
grep -qF "休 元旦放假" <<<"$tip" || fail "the day-off mark is missing"

echo "-- the menu"
entries=$(/usr/bin/python3 "$host" menu | tr '\n' ' ')
[[ $entries == "显示/隐藏 转到今天 选项设置 关闭软件 " ]] || fail "menu entries: $entries"

echo "-- 显示/隐藏 hides, a click brings it back"
/usr/bin/python3 "$host" click "显示/隐藏"
wait_until bash -c '! xdotool search --onlyvisible --name "^Velmora$"' >/dev/null ||
  fail "显示/隐藏 did not hide the panel"
/usr/bin/python3 "$host" activate
wait_until visible || fail "a click on the icon did not bring the panel out"

echo "-- 转到今天 brings a hidden panel out too"
/usr/bin/python3 "$host" click "显示/隐藏"
wait_until bash -c '! xdotool search --onlyvisible --name "^Velmora$"' >/dev/null ||
  fail "显示/隐藏 did not hide the panel"
/usr/bin/python3 "$host" click "转到今天"
wait_until visible || fail "转到今天 did not bring the panel out"

echo "-- 选项设置 opens the options"
/usr/bin/python3 "$host" click "选项设置"
wait_window "选项设置"
xdotool windowactivate --sync "$FOUND_WINDOW" key Escape
wait_window_gone "选项设置"

echo "-- 关闭软件 closes the program"
/usr/bin/python3 "$host" click "关闭软件"
wait_exit "$PROGRAM_PID"
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS after 关闭软件"
grep -q '^pos_top=' "$prog/zenqset.kxi" || fail "the settings were not saved"

echo "-- without a status notifier host the icon goes to the window manager's tray"
kill "$watcher"
wait "$watcher" 2>/dev/null || true
tray_icons() {
  local window
  for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q _KDE_NET_WM_WINDOW_TYPE_OVERRIDE &&
      echo "$window"
  done
}
start_program "$prog"
wait_main_window
wait_until test -n "$(tray_icons "$PROGRAM_PID")" || fail "no icon in the window manager's tray"
"$prog/velmora" --quit
wait_exit "$PROGRAM_PID"
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS with the tray"

echo "-- without any status area nothing breaks"
kill "$E2E_WM"
printf '<?xml version="1.0"?>\n<JWM></JWM>\n' >"$E2E_ROOT/no-tray.jwmrc"
jwm -f "$E2E_ROOT/no-tray.jwmrc" >/dev/null 2>&1 &
E2E_WM=$!
sleep 0.3
start_program "$prog"
wait_main_window
"$prog/velmora" --hide
wait_until bash -c '! xdotool search --onlyvisible --name "^Velmora$"' >/dev/null ||
  fail "--hide did not hide the panel"
"$prog/velmora" --show
wait_until visible || fail "--show did not bring the panel out"
[[ -z $(tray_icons "$PROGRAM_PID") ]] || fail "an icon window shows without a tray"
"$prog/velmora" --quit
wait_exit "$PROGRAM_PID"
((EXIT_STATUS == 0)) || fail "exit status $EXIT_STATUS without a status area"
echo "PASS"
