#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Starts the real program under Xvfb on a session bus of its own with the accessibility bus running, and lets
# atspi.py read every window over AT-SPI as a screen reader does.
#   atspi.sh <tankedosan executable> <folder with the sample data>
set -euo pipefail
. "$(dirname "$0")/xsession.sh"
in_xvfb "$0" "$@"
# The accessibility bus, which the session bus starts on the first call, keeps its setting in memory: in the
# user's settings it would outlast the test.
[ -n "${TANKEDOSAN_OWN_BUS:-}" ] || TANKEDOSAN_OWN_BUS=1 GSETTINGS_BACKEND=memory exec dbus-run-session -- "$0" "$@"
exe=$1 data=$2

folder=$(mktemp -d)
trap 'kill ${pid:-} 2>/dev/null || true; rm -rf "$folder"' EXIT
cp "$exe" "$folder/tankedosan"
cp "$(dirname "$exe")/libtankedosan-window.so" "$folder/"
cp "$data"/*.dat "$data/help.txt" "$folder/"
printf '3\r\n' > "$folder/nr.ini"

# Qt's bridge turns itself on only when the desktop says that an assistive technology is listening, as Orca
# says it by this property. A setting sent while the bus is still starting is lost: sent until it holds.
status() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties."$1" \
  string:org.a11y.Status string:IsEnabled ${2:-} 2>/dev/null || true; }
for i in $(seq 1 50); do
  [[ $(status Get) == *"boolean true"* ]] && break || [ "$i" -lt 50 ] || fail "the accessibility bus did not come up"
  status Set variant:boolean:true >/dev/null && sleep 0.1
done

unset QT_QPA_PLATFORM
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
"$folder/tankedosan" &
pid=$!
/usr/bin/python3 "$(dirname "$0")/atspi.py" "$folder" || fail "the screen reader's view, above"
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end from Arkiv > Avsluta"
wait "$pid" || fail "the program ended with an error"
pid=
echo "accessibility test passed"
