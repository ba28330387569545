#!/usr/bin/env bash
# Times the sync of 1,000 tasks both ways through a real Radicale on
# 127.0.0.1, with a reference in the same run: curl putting and getting the
# same 1,000 items one request after the other, as a client without our
# work would. Each side starts from a fresh server.
# Usage: bench/sync_1000.sh [BUILD_DIR]  (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cli=$build/bin/velmora-cli
container=$build/bin/cli_container
work=$(mktemp -d /tmp/velmora-sync-bench.XXXXXX)
server=
stop_server() { [[ -n "$server" ]] && kill "$server" && wait "$server" 2>/dev/null; server=; }
trap 'stop_server; rm -rf "$work"' EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'anna:secret-a\n' >"$work/users"
start_server() {
  rm -rf "$work/collections"
  printf '[server]\nhosts = 127.0.0.1:%s\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s\nhtpasswd_encryption = plain\n[rights]\ntype = owner_only\n[storage]\nfilesystem_folder = %s\n[logging]\nlevel = warning\n' \
    "$port" "$work/users" "$work/collections" >"$work/config"
  radicale --config "$work/config" >"$work/server.log" 2>&1 &
  server=$!
  for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
  curl -s -o /dev/null -u anna:secret-a -X MKCALENDAR "http://127.0.0.1:$port/anna/velmora/"
}
seconds() { local start=$1; python3 -c "import time; print(f'{time.time() - $start:.2f}')"; }
now() { python3 -c 'import time; print(time.time())'; }
export VELMORA_SYNC_PASSWORD=secret-a
collection="http://127.0.0.1:$port/anna/velmora/"
for folder in A B; do
  mkdir -p "$work/$folder"
  printf '[sync]\r\nurl=%s\r\nuser=anna\r\n' "$collection" >"$work/$folder/zenqset.kxi"
done
"$container" "$work/A" many-plans 1000 任务 >/dev/null
"$container" "$work/B" plan 2000-01-01 x >/dev/null
"$container" "$work/B" unplan 2000-01-01 x >/dev/null

start_server
t=$(now); "$cli" --data "$work/A" sync >/dev/null; up=$(seconds "$t")
t=$(now); "$cli" --data "$work/B" sync >/dev/null; down=$(seconds "$t")
t=$(now); "$cli" --data "$work/A" sync >/dev/null; quiet=$(seconds "$t")
"$cli" --data "$work/A" export-ics "$work/all.ics" >/dev/null
cp -r "$work/collections/collection-root/anna/velmora" "$work/items"
stop_server

start_server
t=$(now)
for file in "$work"/items/*.ics; do
  curl -s -o /dev/null -u anna:secret-a -X PUT -H 'Content-Type: text/calendar' \
    --data-binary "@$file" "$collection$(basename "$file")"
done
ref_up=$(seconds "$t")
t=$(now)
for file in "$work"/items/*.ics; do
  curl -s -o /dev/null -u anna:secret-a "$collection$(basename "$file")"
done
ref_down=$(seconds "$t")
stop_server

ratio() { python3 -c "print(f'{$1 / $2:.2f}')"; }
echo "1,000 tasks, A to the server (velmora-cli sync): ${up} s; curl PUT of the same items: ${ref_up} s; ratio $(ratio "$up" "$ref_up")"
echo "1,000 tasks, the server to B (velmora-cli sync): ${down} s; curl GET of the same items: ${ref_down} s; ratio $(ratio "$down" "$ref_down")"
echo "a second run with nothing changed: ${quiet} s"
