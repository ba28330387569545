#!/usr/bin/env bash
# Keeps the rule of the source folders: Qt widget and GUI code only in a
# subsystem's widgets/ folder and in src/ui (the shared kit); the container's
# FX_ operations only in the store, the *_store files, the start-up and the
# command line, so that no window reaches the container around its store.
# Arguments: the source folder (src) and Qt's header folder. Prints every
# file that breaks the rule and fails when there is one.
set -euo pipefail
src=$1
qt_headers=$2
cd "$src"
broken=0

report() {
  echo "layer rule: $1" >&2
  broken=1
}

while IFS= read -r file; do
  report "$file includes store/kx_efs.h: a widget reaches the container through its store"
done < <(grep -rl --include='*.h' --include='*.cpp' '#include "store/kx_efs.h"' ./*/widgets 2>/dev/null || true)

while IFS= read -r file; do
  for header in $(grep -oE '#include <Q[A-Za-z]+>' "$file" | sed 's/#include <\(.*\)>/\1/'); do
    if [[ -e $qt_headers/QtWidgets/$header || -e $qt_headers/QtGui/$header ]]; then
      report "$file includes <$header> outside a widgets/ folder"
    fi
  done
done < <(find . \( -name '*.h' -o -name '*.cpp' \) -not -path '*/widgets/*' -not -path './ui/*' | sort)

while IFS= read -r file; do
  case $file in
    ./store/widgets/*) report "$file calls the container's FX_ operations" ;;
    ./store/* | ./cli/* | ./app/startup.* | *_store.h | *_store.cpp) ;;
    *) report "$file calls the container's FX_ operations" ;;
  esac
done < <(grep -rlE --include='*.h' --include='*.cpp' '\bFX_[A-Z][a-z]+' . | sort)

((broken == 0)) && echo "layer rules: kept"
exit "$broken"
