#!/usr/bin/env bash
# Two data folders as two computers sharing one account of a real Radicale
# on 127.0.0.1, synced by the real velmora-cli; another client (curl, as a
# phone would) puts and deletes items of its own.
# Usage: sync_e2e.sh VELMORA_CLI CLI_CONTAINER
set -uo pipefail
cli=$1 container=$2
hostile_server=$(dirname "$0")/hostile_server.py
work=$(mktemp -d /tmp/velmora-sync-e2e.XXXXXX)
server= hostile=
cleanup() {
  [[ -n "$server" ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  [[ -n "$hostile" ]] && kill "$hostile" 2>/dev/null && wait "$hostile" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_in() { grep -qF -- "$2" <<<"$1" || fail "$3: expected “$2” in: $1"; }
expect_not_in() { ! grep -qF -- "$2" <<<"$1" || fail "$3: did not expect “$2” in: $1"; }

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'anna:secret-a\n' >"$work/users"
cat >"$work/config" <<CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $work/users
htpasswd_encryption = plain
[rights]
type = owner_only
[storage]
filesystem_folder = $work/collections
[logging]
level = warning
CONF
radicale --config "$work/config" >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  curl -s -o /dev/null "http://127.0.0.1:$port/" && break
  sleep 0.1
done
collection="http://127.0.0.1:$port/anna/velmora/"
export VELMORA_SYNC_PASSWORD=secret-a
for folder in A B; do
  mkdir -p "$work/$folder"
  "$container" "$work/$folder" plan 2000-01-01 placeholder >/dev/null
  "$container" "$work/$folder" unplan 2000-01-01 placeholder >/dev/null
  printf '[sync]\r\nurl=%s\r\nuser=anna\r\n' "$collection" >"$work/$folder/zenqset.kxi"
done
in_folder() { local folder=$1; shift; "$cli" --data "$work/$folder" "$@" 2>&1; }
sync_ok() { in_folder "$1" sync >"$work/last" || fail "sync of $1: $(cat "$work/last")"; }

# --- A task, a note and a yearly lunar anniversary travel from A to B -------
cat >"$work/first.ics" <<'ICS'
BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//test//test//EN
BEGIN:VTODO
UID:task-1@test
DUE;VALUE=DATE:20261220
SUMMARY:买年货
PRIORITY:3
END:VTODO
BEGIN:VJOURNAL
UID:note-1@test
DTSTART;VALUE=DATE:20261220
DESCRIPTION:腊月的便笺
END:VJOURNAL
BEGIN:VEVENT
UID:birthday@test
DTSTART;VALUE=DATE:20260926
SUMMARY:妈妈生日
RRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=8;BYMONTHDAY=16
END:VEVENT
END:VCALENDAR
ICS
in_folder A import-ics "$work/first.ics" >/dev/null || fail "import into A"
sync_ok A
sync_ok B
expect_in "$(in_folder B plans 2026-12-20)" "买年货" "B's plans"
expect_in "$(in_folder B note 2026-12-20)" "腊月的便笺" "B's note"
expect_in "$(in_folder B export-ics - | tr -d '\r\n ')" "BYMONTH=8;BYMONTHDAY=16" "B's lunar anniversary"
expect_in "$(in_folder B export-ics - | tr -d '\r\n ')" "RDATE;VALUE=DATE:20270916" "B's lunar days"

# --- A to-do put by another client appears in A ------------------------------
curl -s -o /dev/null -w '%{http_code}' -u anna:secret-a -X PUT -H 'Content-Type: text/calendar' \
  --data-binary $'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VTODO\r\nUID:phone-1\r\nDTSTAMP:20261211T000000Z\r\nDUE;VALUE=DATE:20261221\r\nSUMMARY:取快递\r\nEND:VTODO\r\nEND:VCALENDAR\r\n' \
  "${collection}phone-1.ics" >"$work/code"
[[ $(cat "$work/code") == 201 ]] || fail "the phone's PUT: $(cat "$work/code")"
sync_ok A
expect_in "$(in_folder A plans 2026-12-21)" "取快递" "A's plans after the phone"

# --- The same task changed on both sides: both versions everywhere ----------
edit() {
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VTODO\r\nUID:task-1@test\r\nDUE;VALUE=DATE:20261220\r\nSUMMARY:%s\r\nEND:VTODO\r\nEND:VCALENDAR\r\n' "$2" >"$work/edit.ics"
  in_folder "$1" import-ics "$work/edit.ics" >/dev/null || fail "edit in $1"
}
edit A "买年货和春联"
edit B "买年货和鞭炮"
sync_ok A
sync_ok B
expect_in "$(cat "$work/last")" "两个版本都保留了" "B is told of the conflict"
sync_ok A
plans_a=$(in_folder A plans 2026-12-20)
expect_in "$plans_a" "买年货和春联" "A keeps its own text"
expect_in "$plans_a" "买年货和鞭炮" "A has B's text"
on_server=$(cat "$work"/collections/collection-root/anna/velmora/*.ics)
expect_in "$on_server" "买年货和春联" "the server has A's text"
expect_in "$on_server" "买年货和鞭炮" "the server has B's text"
sync_ok B
[[ $(in_folder B plans 2026-12-20 | sort) == $(sort <<<"$plans_a") ]] ||
  fail "A and B differ: $(in_folder B plans 2026-12-20) / $plans_a"

# --- A deletion travels, both ways -------------------------------------------
"$container" "$work/B" unplan 2026-12-21 取快递 >/dev/null
sync_ok B
expect_not_in "$(cat "$work"/collections/collection-root/anna/velmora/*.ics)" "取快递" "the server after B's deletion"
sync_ok A
expect_not_in "$(in_folder A plans 2026-12-21)" "取快递" "A after B's deletion"
curl -s -o /dev/null -u anna:secret-a -X DELETE "${collection}phone-1.ics"
victim=$(grep -l "买年货和春联" "$work"/collections/collection-root/anna/velmora/*.ics | head -1)
curl -s -o /dev/null -u anna:secret-a -X DELETE "${collection}$(basename "$victim")"
sync_ok A
expect_not_in "$(in_folder A plans 2026-12-20)" "买年货和春联" "A after the phone's deletion"
sync_ok B
expect_not_in "$(in_folder B plans 2026-12-20)" "买年货和春联" "B after the phone's deletion"
expect_in "$(in_folder B plans 2026-12-20)" "买年货和鞭炮" "B keeps what was not deleted"

# --- Nothing doubles when nothing changed ------------------------------------
before=$(ls "$work"/collections/collection-root/anna/velmora/*.ics | wc -l)
sync_ok A
sync_ok B
expect_in "$(cat "$work/last")" "上传 0 项，收到 0 项，删除 0 项" "a quiet second run"
[[ $(ls "$work"/collections/collection-root/anna/velmora/*.ics | wc -l) == "$before" ]] ||
  fail "the server's items changed in a quiet run"

# --- Cut off mid-run: killed, and a server that goes away; nothing doubles ---
on_server_count() { grep -l -- "$1" "$work"/collections/collection-root/anna/velmora/*.ics | wc -l; }
start_server() {
  radicale --config "$work/config" >>"$work/server.log" 2>&1 &
  server=$!
  for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
}
for folder in C D; do
  mkdir -p "$work/$folder"
  printf '[sync]\r\nurl=%s\r\nuser=anna\r\n' "$collection" >"$work/$folder/zenqset.kxi"
done
"$container" "$work/C" many-plans 200 批量丙 >/dev/null
"$cli" --data "$work/C" sync >/dev/null 2>&1 &
syncing=$!
sleep 1.5
kill -KILL "$syncing"; wait "$syncing" 2>/dev/null
sync_ok C
[[ $(on_server_count 批量丙) == 200 ]] || fail "after a SIGKILL: $(on_server_count 批量丙) of 200 on the server"
[[ $(in_folder C export-ics - | grep -c "SUMMARY:批量丙") == 200 ]] || fail "C's tasks after a SIGKILL"
expect_not_in "$(in_folder C export-ics -)" "另一台设备" "C after a SIGKILL"

"$container" "$work/D" many-plans 200 批量丁 >/dev/null
"$cli" --data "$work/D" sync >"$work/cut" 2>&1 &
syncing=$!
sleep 1.5
kill "$server"; wait "$server" 2>/dev/null; server=
wait "$syncing" && fail "a sync whose server went away succeeded"
expect_in "$(cat "$work/cut")" "同步失败" "the cut-off run's message"
[[ $(in_folder D export-ics - | grep -c "SUMMARY:批量丁") == 200 ]] || fail "D's tasks after the server left"
start_server
sync_ok D
[[ $(on_server_count 批量丁) == 200 ]] || fail "after the server left: $(on_server_count 批量丁) of 200 on the server"
sync_ok C
[[ $(in_folder C export-ics - | grep -c "SUMMARY:批量丁") == 200 ]] || fail "D's tasks did not reach C"

# --- Refusals: a wrong password, a server that is gone ------------------------
VELMORA_SYNC_PASSWORD=wrong in_folder A sync >"$work/wrong" && fail "a wrong password synced"
expect_in "$(cat "$work/wrong")" "用户名或密码不对" "the wrong password's message"
kill "$server"; wait "$server" 2>/dev/null; server=
in_folder A sync >"$work/gone" && fail "a gone server synced"
expect_in "$(cat "$work/gone")" "无法连接服务器" "the gone server's message"
expect_in "$(in_folder A plans 2026-12-20)" "买年货和鞭炮" "A's plans after the failures"

# --- Servers that misbehave: each refused in words, nothing local changes ----
hostile_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/bin/python3 "$hostile_server" "$hostile_port" &
hostile=$!
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$hostile_port/" && break; sleep 0.1; done
mkdir -p "$work/E"
"$container" "$work/E" plan 2026-12-20 本地任务 >/dev/null
for case in "html:不是 CalDAV 日历" "moved:转到另一个地址" "full:存储空间已满" \
  "huge:超过 16 MB" "garbage:嵌套过深"; do
  printf '[sync]\r\nurl=http://127.0.0.1:%s/%s/\r\nuser=anna\r\n' "$hostile_port" "${case%%:*}" \
    >"$work/E/zenqset.kxi"
  timeout 60 "$cli" --data "$work/E" sync >"$work/hostile" 2>&1 && fail "${case%%:*} synced"
  expect_in "$(cat "$work/hostile")" "${case#*:}" "the ${case%%:*} server's message"
  [[ $("$cli" --data "$work/E" plans 2026-12-20) == $'A\t进行中\t本地任务' ]] ||
    fail "E's plans after the ${case%%:*} server"
done
kill "$hostile"; wait "$hostile" 2>/dev/null; hostile=

[[ $failures -eq 0 ]] && echo "sync end-to-end: all passed"
exit $((failures > 0))
