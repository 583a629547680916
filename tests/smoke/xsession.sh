# SPDX-License-Identifier: LicenseRef-Tankedosan
# Shared by the tests that start the real program on an X display: sourced, not run.

# Runs the calling script again inside a private Xvfb server unless it already runs in one, and there waits
# for the server, which may still be coming up when xvfb-run hands over.
#   in_xvfb "$0" "$@"
in_xvfb() {
  # A random display, as -a alone races for :99 when servers start at once; -noreset, as a reset when the
  # readiness probe disconnects turns away a client that connects meanwhile.
  [ -n "${TANKEDOSAN_INSIDE_X:-}" ] ||
    TANKEDOSAN_INSIDE_X=1 exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -noreset" "$@"
  for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
}

fail() { echo "FAIL: $*"; exit 1; }

# Starts the program, waits for its window captioned with the collection's count, closes it from the menu
# (Arkiv > Avsluta) as a user does and sees the program end without an error.
#   start_and_close EXECUTABLE COUNT
start_and_close() {
  local exe=$1 caption="Tankedosan -  $2 st" window=
  "$exe" &
  pid=$!
  for _ in $(seq 1 150); do
    window=$(xdotool search --name "^${caption}\$" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window captioned '$caption'"
  echo "seen: '$(xdotool getwindowname "$window")'"
  xdotool windowfocus --sync "$window"
  xdotool key --delay 100 alt+a
  sleep 0.3
  xdotool key --delay 100 Up Return
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end after its main window was closed"
  wait "$pid" || fail "the program ended with an error"
  pid=
}
