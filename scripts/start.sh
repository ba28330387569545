#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec ./build/default/bin/velmora "$@"
