#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over every source file of the
# program in the default build's compile commands. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/default
[[ -f $build/compile_commands.json ]] || { echo "tidy: configure the default preset first" >&2; exit 1; }
# Only files under src/ are checked: moc output lives in the build folder.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run-clang-tidy -p "$build" -quiet -j "$(nproc)" "$PWD/src/" >"$log" 2>&1 || true
if grep -E "(warning|error):" "$log"; then
  echo "tidy: findings above" >&2
  exit 1
fi
echo "tidy: clean"
