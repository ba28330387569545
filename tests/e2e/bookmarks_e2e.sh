#!/usr/bin/env bash
# End to end: a folder and two bookmarks made through the bookmark page's
# pop-up menu and dialogs, one bookmark cut into the folder; after a new
# start the tree shows them, and velmora-cli lists the same tree.
# Argument: the build's bin folder.
E2E_BIN=$1
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
wait_window_gone "网址书签编辑"
close_and_wait
[[ "$("$CLI" --data "$prog" bookmarks)" == "$expected" ]] || fail "the tree changed on a cancelled edit"

echo "PASS"
