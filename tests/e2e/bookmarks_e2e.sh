#!/usr/bin/env bash
# End to end: a folder and two bookmarks made through the bookmark page's
# pop-up menu and dialogs, one bookmark cut into the folder, the folder cut
# and pasted back into its own parent; after a new start the tree shows
# them, and velmora-cli lists the same tree. Then titles as long as the
# container takes, typed, refused one character too long, renamed in the
# tree and edited in the dialog, are listed and exported.
# Last, a browser's session file built to unpack into a 40 MB address and
# 300,000 tabs: the capture offers the pages within its bounds, and SIGTERM
# in the middle of a capture still closes the program in order at once.
# Arguments: the build's bin folder and the session file writer. With
# E2E_SHOT_DIR set, the refusal of a title too long is kept there as a
# screenshot.
E2E_BIN=$1
SESSION_FILL=$2
CLI="$E2E_BIN/velmora-cli"
source "$(dirname "$0")/e2e_lib.sh"
start_session
trap 'status=$?; ((status == 0)) || cat "$E2E_ROOT"/program-*.log >&2; end_session' EXIT

# Places in the main window's client area (330 x 560).
BOOKMARK_TAB=(244 265)
ROOT_NODE=(56 286)

# menu_item N: opens the tree's pop-up menu from the keyboard and takes its
# Nth enabled item.
menu_item() {
  xdotool key Menu
  sleep 0.4
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
  sleep 0.5
}

# add_bookmark TITLE ADDRESS: "手动添加网址" below the root.
add_bookmark() {
  click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
  menu_item 2
  wait_window "网址书签编辑"
  xdotool type --delay 10 "$1"
  xdotool key Tab
  xdotool type --delay 5 "$2"
  xdotool key alt+s
  wait_window_gone "网址书签编辑"
}

prog=$(new_program_folder prog zenqmodal.fx)

echo "-- two bookmarks and a folder through the menu"
start_program "$prog"
wait_main_window
click_in "$MAIN_WINDOW" "${BOOKMARK_TAB[@]}"
add_bookmark "first" "https://first.example/a|b"
add_bookmark "second" "http://second.example/"
click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
menu_item 4 # 新建目录: the new folder's name is edited at once
xdotool type --delay 10 "folder"
xdotool key Return
sleep 0.5

echo "-- the first bookmark cut into the folder"
click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
xdotool key Down # first
menu_item 6      # 剪切 (open, find, edit, delete, rename, cut)
xdotool key End  # the folder, the last node
sleep 0.3
xdotool key Menu
sleep 0.4
xdotool key Up Up Up Return # 粘贴, above export and import
sleep 0.5

echo "-- the folder cut and pasted into its own parent stays as it was"
click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
xdotool key End # the folder, closed again after the paste
sleep 0.3
menu_item 7 # 剪切 (get, add, find, new folder, delete, rename, cut)
click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
xdotool key Menu
sleep 0.4
xdotool key Up Up Up Return # 粘贴 on the root, the folder's parent
sleep 0.5
close_and_wait

expected=$'second\thttp://second.example/\nfolder/\t\nfolder/first\thttps://first.example/a|b'
listed=$("$CLI" --data "$prog" bookmarks)
[[ "$listed" == "$expected" ]] || fail "stored bookmarks:"$'\n'"$listed"

echo "-- started again, the tree shows the moved bookmark"
start_program "$prog"
wait_main_window
click_in "$MAIN_WINDOW" "${BOOKMARK_TAB[@]}"
click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
xdotool key End Right Down # into the folder, to its bookmark
sleep 0.3
menu_item 3 # 编辑
wait_window "网址书签编辑"
xdotool key Escape
wait_window_gone "网址书签编辑" # the listing at the end shows the tree unchanged

echo "-- titles as long as the container takes"
repeat() {
  local text="" i
  for ((i = 0; i < $2; i++)); do text+=$1; done
  printf '%s' "$text"
}
# paste_text TEXT: the user pastes it (Ctrl+V); xdotool's typing of
# characters outside the keymap can garble them while the program lags.
paste_text() {
  printf '%s' "$1" | xclip -selection clipboard -i 2>/dev/null
  xdotool key ctrl+v
  sleep 0.2
}
# "plumora_url/" leaves 244 of a name's 256 GB18030 bytes: 122 Chinese characters.
longest="$(repeat 网址书签标题 20)十足"
renamed=$(repeat 改名 61)
edited="$(repeat 编辑后的名字 20)完毕"
click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
menu_item 2 # 手动添加网址
wait_window "网址书签编辑"
dialog=$FOUND_WINDOW
paste_text "${longest}多"
xdotool key Tab
xdotool type --delay 5 "http://long.example/"
xdotool key alt+s
for _ in $(seq 50); do
  grep -qF "message: 路径和文件名超长，无法保存！" "$PROGRAM_LOG" && break
  sleep 0.1
done
grep -qF "这里的名称最多 244 个字节（约 122 个汉字" "$PROGRAM_LOG" ||
  fail "no refusal saying how long the title may be"
sleep 0.5
if [[ -n "${E2E_SHOT_DIR:-}" ]]; then import -window root "$E2E_SHOT_DIR/bookmark_title_too_long.png"; fi
xdotool key Return # the message's OK: the dialog keeps what was typed
sleep 0.3
click_in "$dialog" 190 55 # into the title
xdotool key ctrl+End BackSpace alt+s
wait_window_gone "网址书签编辑"
xdotool key End # the new bookmark, last below the root
sleep 0.3
menu_item 5 # 重命名 (open, find, edit, delete, rename) in the tree itself
paste_text "$renamed"
xdotool key Return
sleep 0.5

echo "-- the renamed one exported by the page (导出书签…)"
xdotool key Menu
sleep 0.4
xdotool key Up Up Return # 导出书签…, above 导入书签…
wait_window "导出书签"
xdotool key ctrl+a
xdotool type --delay 5 "$E2E_ROOT/page.html"
xdotool key Return
wait_message_over "$MAIN_WINDOW" "书签已导出到"
grep -qF ">$renamed</A>" "$E2E_ROOT/page.html" || fail "the page's export lacks the renamed title"

echo "-- edited in the dialog, then listed and exported by velmora-cli"
menu_item 3 # 编辑 on the renamed bookmark, still selected
wait_window "网址书签编辑"
xdotool key ctrl+a
paste_text "$edited"
xdotool key alt+s
wait_window_gone "网址书签编辑"
close_and_wait
expected+=$'\n'"$edited"$'\t'"http://long.example/"
listed=$("$CLI" --data "$prog" bookmarks)
[[ "$listed" == "$expected" ]] || fail "stored bookmarks:"$'\n'"$listed"
"$CLI" --data "$prog" export-bookmarks "$E2E_ROOT/cli.html" >/dev/null || fail "export-bookmarks failed"
grep -qF ">$edited</A>" "$E2E_ROOT/cli.html" || fail "velmora-cli's export lacks the edited title"

echo "-- a session file built to expand, with its browser running"
home="$E2E_ROOT/home"
profile="$home/.mozilla/firefox/e2e.default"
mkdir -p "$profile/sessionstore-backups"
printf '[Profile0]\nName=default\nIsRelative=1\nPath=e2e.default\n' >"$home/.mozilla/firefox/profiles.ini"
"$SESSION_FILL" "$profile/sessionstore-backups/recovery.jsonlz4" || fail "no session file written"
# The browser's record lock on .parentlock, held by another process.
python3 -c 'import fcntl, sys, time
f = open(sys.argv[1], "w"); fcntl.lockf(f, fcntl.LOCK_EX); print("locked", flush=True); time.sleep(120)' \
  "$profile/.parentlock" >"$E2E_ROOT/lock.log" &
browser_pid=$!
for _ in $(seq 50); do grep -q locked "$E2E_ROOT/lock.log" && break; sleep 0.1; done
# capture: 抓取网页, the menu's first entry, on the root.
capture() {
  click_in "$MAIN_WINDOW" "${BOOKMARK_TAB[@]}"
  click_in "$MAIN_WINDOW" "${ROOT_NODE[@]}"
  xdotool key Menu
  sleep 0.4
  xdotool key Down Return
}
HOME=$home start_program "$prog"
wait_main_window
capture
wait_window "网址抓取"
xdotool key alt+s # every page offered, ticked
wait_window_gone "网址抓取"

echo "-- SIGTERM during a capture"
capture
kill -TERM "$PROGRAM_PID"
asked=$(date +%s%N)
while kill -0 "$PROGRAM_PID" 2>/dev/null && (($(date +%s%N) - asked < 5000000000)); do sleep 0.02; done
took_ms=$((($(date +%s%N) - asked) / 1000000))
wait_exit "$PROGRAM_PID"
kill "$browser_pid" 2>/dev/null || true
echo "ended ${took_ms} ms after SIGTERM"
((took_ms <= 1000)) || fail "the program took ${took_ms} ms to end after SIGTERM"
[[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS after SIGTERM"
# The 40 MB address is no page; of the tabs, as many as are ever offered.
captured=$("$CLI" --data "$prog" bookmarks | grep -c $'\thttps://tab.example/' || true)
((captured == 5000)) || fail "$captured pages captured of the 300,000 tabs"

echo "PASS"
