#!/usr/bin/env bash
# The in-process cases at one screen DPI.
#   dialogs-inprocess.sh 96|120|144
source "$(dirname "$0")/lib.sh"
set_dpi "$1"
"$WINE_RUN" "$HR_WIN_BUILD_DIR/tests/wine/dialogs/dialogs_tests.exe"
