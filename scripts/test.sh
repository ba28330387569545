#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test: the
# Linux build, clang-tidy over the sources, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows build of the base libraries
# under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

run_preset() {
  echo "== $1: configure, build, test"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
  ctest --preset "$1" --parallel 2
}

run_preset default
./scripts/tidy.sh
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_preset asan
./scripts/wine-tests.sh
echo "== all tests passed"
