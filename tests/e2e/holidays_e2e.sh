#!/usr/bin/env bash
# End to end: a local web server serves a made-up 2027 arrangement and the
# empty file of a 2028 not yet announced, shaped as the published per-year
# files are, and [holiday] url points at it. One start on 2027-02-10 (the
# clock moved with faketime) stores both years in the renewed copy beside
# the data: velmora-cli lists 2027 with its source and says 2028 is not yet
# published; the month view marks February 2027 and says of January 2028
# that its arrangement is not yet published. A second start that day asks
# the server nothing. Arguments: the build's bin folder, http_file_server.
E2E_BIN=$1
SERVER=$2
source "$(dirname "$0")/e2e_lib.sh"
start_session
trap 'status=$?; ((status == 0)) || cat "$E2E_ROOT"/program-*.log "$E2E_ROOT/server.log" >&2; kill "$SERVER_PID" 2>/dev/null; end_session' EXIT
CLI="$E2E_BIN/velmora-cli"

# Places in the main window's client area (330 x 560).
NEXT_MONTH=(143 16)
# The 休/班 mark of a cell: column c, row r of the month grid.
mark_at() { echo $((14 + 42 * $1 + 25 + 5)) $((56 + 32 * $2 + 1 + 5)); }
NOTICE=(98 218 208 30) # x y width height of the note on a year without marks
# The text is smoothed: its colours as they blend into the white.
RED='#[D-F][0-9A-F][0-6][0-9A-F][0-6][0-9A-F]'
DARK_GREY='#([1-7][0-9A-F])\1\1'
GREY='#([89A-E][0-9A-F])\1\1'

site="$E2E_ROOT/site"
mkdir -p "$site/download"
cp "$(dirname "$0")/holidays/2027.json" "$(dirname "$0")/holidays/2028.json" "$site/"
"$SERVER" "$site" "$E2E_ROOT/port" >"$E2E_ROOT/server.log" 2>&1 &
SERVER_PID=$!
for _ in $(seq 50); do [[ -s "$E2E_ROOT/port" ]] && break; sleep 0.1; done
port=$(cat "$E2E_ROOT/port")

prog=$(new_program_folder prog zenqmodal.fx velmora_fetch.so zenqholiday.txt)
printf '[holiday]\r\nurl=http://127.0.0.1:%s/{year}.json\r\n' "$port" >"$prog/zenqset.kxi"
# The vendor's files from the same server (which has none of them).
printf '[interface]\r\nupdateurl=http://127.0.0.1:%s/download/\r\n' "$port" >"$prog/zenqrset.kxi"
renewed="$prog/zenqholiday_renewed.txt"

start_on() {
  PROGRAM_LOG="$E2E_ROOT/program-$1.log"
  faketime "$1 10:00:00" "$prog/velmora" >"$PROGRAM_LOG" 2>&1 &
  PROGRAM_PID=$!
}

# colour_count X Y W H PATTERN: pixels whose colour (#RRGGBB) matches the
# extended regular expression, in that part of the main window's client area.
colour_count() {
  client_origin "$MAIN_WINDOW"
  import -window root -crop "$3x$4+$((ORIGIN_X + $1))+$((ORIGIN_Y + $2))" -depth 8 \
    "$E2E_ROOT/crop.txt" 2>/dev/null
  grep -cE " $5 " "$E2E_ROOT/crop.txt" || true
}

echo "-- one start stores the published 2027 and the empty 2028"
start_on 2027-02-10
wait_main_window
for _ in $(seq 100); do
  grep -qP '^#@\t2028\tunpublished' "$renewed" 2>/dev/null && break
  sleep 0.1
done
check "2028 was recorded as not yet published" grep -qP '^#@\t2028\tunpublished' "$renewed"
check "the stored file says where 2027 came from" \
  grep -qP "^#@\t2027\tpublished\t2027-02-10\thttp://127.0.0.1:$port/2027.json\t" "$renewed"
check "the program said so on stderr" grep -qF "2027年放假安排已存入" "$PROGRAM_LOG"
check "the shipped file was not written" cmp -s "$E2E_BIN/zenqholiday.txt" "$prog/zenqholiday.txt"
check "nothing half-written is left" test "$(find "$prog" -maxdepth 1 -name '*.tmp*' | wc -l)" = 0

listing=$("$CLI" --data "$prog" holidays 2027)
grep -qx "# source: published" <<<"$listing" || fail "no source in: $listing"
grep -qx "# origin: http://127.0.0.1:$port/2027.json" <<<"$listing" || fail "no origin in: $listing"
grep -qP '^2027-02-06\t班\t春节$' <<<"$listing" || fail "2027-02-06 is no 班 in: $listing"
grep -qP '^2027-02-07\t休\t春节$' <<<"$listing" || fail "2027-02-07 is no 休 in: $listing"
status=0
message=$("$CLI" --data "$prog" holidays 2028 2>&1) || status=$?
((status == 3)) || fail "holidays 2028 exited $status"
grep -qF "not yet published" <<<"$message" || fail "holidays 2028 said: $message"
[[ "$("$CLI" --data "$prog" day 2027-02-08 | cut -f12)" == "休" ]] || fail "day misses the renewed 休"

echo "-- the month view marks February 2027"
# 1 February 2027 is a Monday: the 7th (休) is the second row's Sunday, the
# 6th (班) the first row's Saturday.
read -r x y <<<"$(mark_at 0 1)"
(($(colour_count $((x - 6)) $((y - 6)) 12 12 "$RED") > 5)) || fail "no red 休 on 7 February"
read -r x y <<<"$(mark_at 6 0)"
(($(colour_count $((x - 6)) $((y - 6)) 12 12 "$DARK_GREY") > 5)) || fail "no grey 班 on 6 February"
check "no note on a month whose year is known" \
  test "$(colour_count "${NOTICE[@]}" "$GREY")" = 0

echo "-- January 2028 says its arrangement is not yet published"
click_in "$MAIN_WINDOW" "${NEXT_MONTH[@]}" 11
(($(colour_count "${NOTICE[@]}" "$GREY") > 50)) || fail "no note on January 2028"
close_and_wait

echo "-- a second start the same day asks the server nothing"
requests=$(grep -c "GET /20" "$E2E_ROOT/server.log")
start_on 2027-02-10
wait_main_window
sleep 3
close_and_wait
check "no published file was asked for again" test "$(grep -c "GET /20" "$E2E_ROOT/server.log")" = "$requests"
echo "PASS"
