#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Starts the real program on a real X display (Xvfb) in a program folder of its own, waits for the main
# window with a loaded collection, closes it as a window manager would and checks that nr.ini was written.
#   smoke.sh <tankedosan executable> <folder with the sample data>
set -euo pipefail
. "$(dirname "$0")/xsession.sh"
in_xvfb "$0" "$@"
exe=$1 data=$2

folder=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$folder"' EXIT
cp "$exe" "$folder/tankedosan"
cp "$(dirname "$exe")/libtankedosan-window.so" "$folder/" # the window's library, which it loads from beside it
cp "$data"/*.dat "$data/help.txt" "$folder/"
printf '3\r\n' > "$folder/nr.ini"

unset QT_QPA_PLATFORM
# The sanitizer build suppresses Qt's D-Bus thread's leak by library name, which needs whole stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
start_and_close "$folder/tankedosan" "$(tr -cd '\r' < "$data/Citat.dat" | wc -c)"

[ "$(cat "$folder/nr.ini")" = $'3\r' ] || fail "nr.ini holds '$(od -c "$folder/nr.ini")'"
echo "smoke test passed"
