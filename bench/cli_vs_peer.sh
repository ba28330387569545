#!/usr/bin/env bash
# One date converted per process, side by side in one run: velmora-cli day
# against Debian's lunar utility (installed here, for this comparison only).
# Usage: bench/cli_vs_peer.sh [RUNS]  (default 200)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200}

./scripts/setup.sh
if ! command -v lunar >/dev/null || ! command -v hyperfine >/dev/null; then
  as_root=()
  [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends lunar hyperfine >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release --target velmora-cli

echo "-- Qt libraries velmora-cli loads: $(ldd build/release/bin/velmora-cli | grep -ci qt)"
hyperfine --warmup 20 --runs "$runs" -N \
  "build/release/bin/velmora-cli day 2024-02-10" \
  "lunar 2024 2 10"
