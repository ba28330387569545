#!/usr/bin/env bash
# The global hotkeys under a window manager, without the whole program: the
# test program opens its own windows, presses the keys and looks at what
# each press did. Arguments: the build's bin folder, the test program.
E2E_BIN=$1
source "$(dirname "$0")/e2e_lib.sh"
start_session
"$2"
