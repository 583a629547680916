#!/usr/bin/env bash
# Starts the real program on a real X display (Xvfb) in a program folder of its own, waits for the main
# window with a loaded collection, closes it as a window manager would and checks that nr.ini was written.
#   smoke.sh <tankedosan executable> <folder with the sample data>
set -euo pipefail
exe=$1
data=$2
if [ -z "${SMOKE_INSIDE_X:-}" ]; then
  # Several X servers may start at once (ctest -j2, other builds on the machine): -a alone races for :99.
  # -noreset: otherwise the server resets when the readiness probe disconnects, and a client that connects
  # during the reset is turned away.
  SMOKE_INSIDE_X=1 exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

folder=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$folder"' EXIT
cp "$exe" "$folder/tankedosan"
cp "$data"/*.dat "$data/help.txt" "$folder/"
printf '3\r\n' > "$folder/nr.ini"
expected_count=$(tr -cd '\r' < "$data/Citat.dat" | wc -c)

# The X server may still be coming up when xvfb-run hands over.
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
unset QT_QPA_PLATFORM
# In the sanitizer build the real program meets Qt's D-Bus thread, whose leak is suppressed by library name:
# that needs whole stacks (the setting does nothing in other builds).
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
"$folder/tankedosan" &
pid=$!

# The caption carries the count once the default collection is loaded.
caption="Tankedosan -  $expected_count st"
window=
for _ in $(seq 1 100); do
  window=$(xdotool search --name "^${caption}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "FAIL: the program ended before its window appeared"; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window captioned '$caption'"; exit 1; }
echo "seen: '$(xdotool getwindowname "$window")'"

# Arkiv > Avsluta from the keyboard closes the main window the way a user does.
xdotool windowfocus --sync "$window"
xdotool key --delay 100 alt+a
sleep 0.3
xdotool key --delay 100 Up Return

for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: the program did not end after its main window was closed"
  exit 1
fi
wait "$pid" || { echo "FAIL: the program ended with an error"; exit 1; }
pid=

[ "$(cat "$folder/nr.ini")" = $'3\r' ] || { echo "FAIL: nr.ini holds '$(od -c "$folder/nr.ini")'"; exit 1; }
echo "smoke test passed"
