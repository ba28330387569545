#!/usr/bin/env bash
# End to end: the package installed with apt-get, started from PATH by an
# ordinary user under Xvfb. The data goes to ~/.local/share/velmora (the
# folder 0700, the data file 0600), velmora-cli reads it without --data,
# and removing the package leaves it. Needs root (it installs the package
# and makes a user); skipped otherwise. Arguments: the source tree, the
# build tree.
set -euo pipefail
SOURCE=$1
BUILD=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[[ $(id -u) -eq 0 ]] || { echo "installing needs root" >&2; exit 77; }
if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q "install ok"; then
  echo "a velmora package is installed already; not touching it" >&2
  exit 77
fi

ROOT=$(mktemp -d /tmp/velmora-install.XXXXXX)
chmod 755 "$ROOT"
user="velmora-e2e-$$"
cleanup() {
  status=$?
  ((status == 0)) || cat "$ROOT"/*.log >&2 2>/dev/null || true
  pkill -u "$user" 2>/dev/null || true
  apt-get purge -y -qq velmora >/dev/null 2>&1 || true
  userdel -r "$user" >/dev/null 2>&1 || true
  rm -rf "$ROOT"
}
trap cleanup EXIT

"$SOURCE/scripts/package.sh" --no-build --build-dir "$BUILD" --out "$ROOT/pkg" >"$ROOT/package.log" 2>&1 ||
  fail "no package"
deb=$(ls "$ROOT"/pkg/velmora_*.deb)
chmod 644 "$deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" \
  >"$ROOT/apt-install.log" 2>&1 || fail "apt-get install failed"
[[ $(command -v velmora) == /usr/bin/velmora ]] || fail "velmora is not on PATH"

useradd -m -s /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
today=$(date +%F)
# As the user, in a display of its own: start from PATH, wait for the
# window, end it as a session end would, then ask velmora-cli.
runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    export XDG_RUNTIME_DIR=$(mktemp -d)
    velmora >"$HOME/velmora.log" 2>&1 &
    pid=$!
    timeout 20 xdotool search --sync --onlyvisible --name "^Velmora\$" >/dev/null ||
      { echo "no window"; cat "$HOME/velmora.log"; exit 1; }
    sleep 1
    kill -TERM $pid
    wait $pid
    velmora-cli ls >"$HOME/ls.txt"
    velmora-cli plans '"$today"' >"$HOME/plans.txt"
  ' >"$ROOT/session.log" 2>&1 || fail "the user's session failed: $(cat "$ROOT/session.log")"

data="$home/.local/share/velmora"
[[ $(stat -c %a "$data") == 700 ]] || fail "data folder mode $(stat -c %a "$data")"
[[ $(stat -c %a "$data/zenqdata.fx") == 600 ]] || fail "data file mode $(stat -c %a "$data/zenqdata.fx")"
[[ $(stat -c %U "$data/zenqdata.fx") == "$user" ]] || fail "the data file is not the user's"
test -f "$data/zenqset.kxi" || fail "no settings in the data folder"
grep -q "plumora_files/" "$home/ls.txt" || fail "velmora-cli ls did not read the data: $(cat "$home/ls.txt")"
if find /usr/bin /usr/lib/velmora /usr/share/velmora -newer "$deb" -name 'zenq*' | grep -q .; then
  fail "something was written beside the installed program"
fi

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq velmora >"$ROOT/apt-remove.log" 2>&1 ||
  fail "apt-get remove failed"
test -f "$data/zenqdata.fx" || fail "removing the package took the user's data"
echo "PASS"
