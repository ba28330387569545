#!/usr/bin/env bash
# End to end: a local web server serves the remote settings with a newer
# version and two announcement lines. A start pointed at it by the address
# an earlier start stored fetches the file in the background and puts it in
# place; the next start rotates the red new-version line in the strip.
# A start that ends while its download is under way ends cleanly and
# leaves the file as it was. Then compaction through the real menu on a container with deleted items:
# the file shrinks and every item keeps its content.
# Arguments: the build's bin folder, http_file_server, fx_fill.
E2E_BIN=$1
SERVER=$2
FILL=$3
source "$(dirname "$0")/e2e_lib.sh"
start_session
trap 'status=$?; ((status == 0)) || cat "$E2E_ROOT"/program-*.log "$E2E_ROOT/server.log" >&2; kill "$SERVER_PID" 2>/dev/null; end_session' EXIT

# Places in the main window's client area (330 x 560).
MENU_BUTTON=(16 544)
STRIP=(150 538 170 14) # x y width height of the announcement text
# In the data management dialog's client area (537 x 312).
COMPACT_BUTTON=(393 289)

site="$E2E_ROOT/site"
mkdir -p "$site/download"
"$SERVER" "$site" "$E2E_ROOT/port" >"$E2E_ROOT/server.log" 2>&1 &
SERVER_PID=$!
for _ in $(seq 50); do [[ -s "$E2E_ROOT/port" ]] && break; sleep 0.1; done
base="http://127.0.0.1:$(cat "$E2E_ROOT/port")/download/"

# The served file names this server again, so later starts keep using it.
printf '[interface]\r\nlastver2=2099.A\r\nupdateurl=%s\r\nupdateurl2=https://update.example/\r\n[ad]\r\ntime=2000\r\ncount=2\r\n1=节气与民俗|https://a.example/\r\n2=使用技巧|https://b.example/\r\n' "$base" |
  iconv -f UTF-8 -t GB18030 >"$site/download/zenqrset.rar"

prog=$(new_program_folder prog zenqmodal.fx velmora_fetch.so velmora_datamgmt.so)
printf '[interface]\r\nupdateurl=%s\r\n' "$base" >"$prog/zenqrset.kxi"

# red_in_strip: the strip shows red text now.
red_in_strip() {
  client_origin "$MAIN_WINDOW"
  import -window root -crop "${STRIP[2]}x${STRIP[3]}+$((ORIGIN_X + STRIP[0]))+$((ORIGIN_Y + STRIP[1]))" \
    -depth 8 "$E2E_ROOT/strip.txt" 2>/dev/null
  grep -qE '#FF[0-3][0-9A-F][0-3][0-9A-F]' "$E2E_ROOT/strip.txt"
}

echo "-- the remote settings fetched from the address an earlier start stored"
start_program "$prog"
wait_main_window
for _ in $(seq 100); do
  cmp -s "$site/download/zenqrset.rar" "$prog/zenqrset.kxi" && break
  sleep 0.1
done
check "the remote settings were replaced by the served copy" \
  cmp -s "$site/download/zenqrset.rar" "$prog/zenqrset.kxi"
check "the file came from the stored base address" grep -q "GET /download/zenqrset.rar" "$E2E_ROOT/server.log"
check "no temporary file is left beside the program" \
  test "$(find "$prog" -maxdepth 1 -name '*.tmp*' | wc -l)" = 0
close_and_wait

echo "-- the next start rotates the red new-version line"
start_program "$prog"
wait_main_window
seen_red=0
for _ in $(seq 60); do
  if red_in_strip; then seen_red=1; break; fi
  sleep 0.2
done
((seen_red == 1)) || fail "the red new-version line never showed in the strip"
close_and_wait

echo "-- closing while the download is under way"
printf '[interface]\r\nupdateurl=http://127.0.0.1:%s/hold/\r\n' "$(cat "$E2E_ROOT/port")" >"$prog/zenqrset.kxi"
cp "$prog/zenqrset.kxi" "$E2E_ROOT/held-before.kxi"
start_program "$prog"
wait_main_window
for _ in $(seq 50); do
  grep -q "held GET /hold/zenqrset.rar" "$E2E_ROOT/server.log" && break
  sleep 0.1
done
check "the download was under way" grep -q "held GET /hold/zenqrset.rar" "$E2E_ROOT/server.log"
close_and_wait
check "the remote settings are as they were" cmp -s "$E2E_ROOT/held-before.kxi" "$prog/zenqrset.kxi"

echo "-- compaction through the menu keeps every item and shrinks the file"
"$FILL" make "$prog/zenqdata.fx"
"$FILL" sums "$prog/zenqdata.fx" >"$E2E_ROOT/before.txt"
"$E2E_BIN/velmora-cli" --data "$prog" ls | cut -f2- | sort >"$E2E_ROOT/ls-before.txt"
size_before=$(stat -c %s "$prog/zenqdata.fx")
start_program "$prog"
wait_main_window
click_in "$MAIN_WINDOW" "${MENU_BUTTON[@]}"
xdotool key Down Down Return
wait_window "数据管理"
click_in "$FOUND_WINDOW" "${COMPACT_BUTTON[@]}"
wait_message_over "$MAIN_WINDOW" "资料库碎片整理成功！"
close_and_wait
"$FILL" sums "$prog/zenqdata.fx" >"$E2E_ROOT/after.txt"
size_after=$(stat -c %s "$prog/zenqdata.fx")
check "every item is there with its content" diff "$E2E_ROOT/before.txt" "$E2E_ROOT/after.txt"
check "the 100 stored files are all there" test "$(grep -c "^f1...\.txt " "$E2E_ROOT/after.txt")" = 100
((size_after < size_before)) || fail "the file did not shrink ($size_before -> $size_after bytes)"
check "no compacted copy is left" test -z "$(find "$prog" -maxdepth 1 -name '*.~fx')"
"$E2E_BIN/velmora-cli" --data "$prog" ls | cut -f2- | sort >"$E2E_ROOT/ls-after.txt"
check "velmora-cli lists the same items" diff "$E2E_ROOT/ls-before.txt" "$E2E_ROOT/ls-after.txt"
echo "PASS"
