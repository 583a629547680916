# SPDX-License-Identifier: LicenseRef-Tankedosan
# Shared by the tests that start the real program on a display or on the accessibility bus: sourced, not run.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
# waits SECONDS COMMAND...: COMMAND succeeds within SECONDS, else the status is 1.
waits() { for _ in $(seq 1 $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done; return 1; }
# settles WHAT WANT COMMAND...: COMMAND must print WANT within 15 s, else WHAT is told wrong.
settles() {
  local got=
  for _ in $(seq 1 150); do got=$("${@:3}" 2>/dev/null || true) && [ "$got" = "$2" ] && return 0 || sleep 0.1; done
  fail "$1 is '${got:-none}', not '$2'"
}

# Runs the calling script again inside a private Xvfb server unless it already runs in one, and there waits for the
# server, which may still be coming up when xvfb-run hands over. A random display, as -a alone races for :99 when
# servers start at once; -noreset, as a reset when the readiness probe disconnects turns away a client meanwhile.
#   in_xvfb "$0" "$@"
in_xvfb() {
  [ -n "${TANKEDOSAN_INSIDE_X:-}" ] ||
    TANKEDOSAN_INSIDE_X=1 exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -noreset" "$@"
  waits 5 xdotool getdisplaygeometry >/dev/null 2>&1 || true
}
# The same on a session bus of its own, where accessibility_on switches the accessibility bus on. Its settings
# stay in memory: in the user's they would outlast the test.
on_own_bus() {
  [ -n "${TANKEDOSAN_OWN_BUS:-}" ] || TANKEDOSAN_OWN_BUS=1 GSETTINGS_BACKEND=memory exec dbus-run-session -- "$@"
}
# Qt's bridge turns itself on only when the desktop says that an assistive technology is listening, as Orca
# says it by this property. A setting sent while the bus is still starting is lost: sent until it holds.
a11y() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties."$1" \
  string:org.a11y.Status string:IsEnabled "${@:2}" 2>/dev/null; }
enabled() { a11y Set variant:boolean:true >/dev/null; [[ $(a11y Get) == *"boolean true"* ]]; }
accessibility_on() { waits 5 enabled || fail "the accessibility bus did not come up"; }

# A scratch folder ($scratch), removed at the end with every process still running that the script started.
scratch_folder() {
  scratch=$(mktemp -d)
  trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
}
# program_folder EXECUTABLE DATA NUMBER: the program, its window and the samples in a scratch folder ($folder), at
# proverb NUMBER, for this display; the sanitizers' leak reports unwind fully (scripts/lsan-qt.supp).
program_folder() {
  scratch_folder
  folder=$scratch
  cp "$1" "$folder/tankedosan"
  cp "$(dirname "$1")/libtankedosan-window.so" "$2"/*.dat "$2/help.txt" "$folder/"
  printf '%s\r\n' "$3" >"$folder/nr.ini"
  unset QT_QPA_PLATFORM
  export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
}
# ends HOW: the program ($pid) ends within 10 s, HOW, and without an error.
gone() { ! kill -0 "$pid" 2>/dev/null; }
ends() {
  waits 10 gone || fail "the program did not end $1"
  wait "$pid" || fail "the program ended with status $?"
}

# opens EXECUTABLE CAPTION: starts the program ($pid), waits for its window so captioned and gives it the focus, as
# a desktop gives a new window its first. A window has its caption before it is mapped, and X refuses the focus to
# an unmapped one (BadMatch, which ends xdotool): only a visible window counts, and the focus is asked again.
opens() {
  "$1" &
  pid=$!
  settles "the program's window" "$2" xdotool search --onlyvisible --name "^$2\$" getwindowname
  waits 5 xdotool search --onlyvisible --name "^$2\$" windowfocus --sync 2>/dev/null || fail "no focus for '$2'"
}
# Starts the program, waits for its window captioned with the collection's count, closes it from the menu
# (Arkiv > Avsluta) as a user does and sees the program end without an error.
#   start_and_close EXECUTABLE COUNT
start_and_close() {
  opens "$1" "Tankedosan -  $2 st"
  xdotool key --delay 100 alt+a
  sleep 0.3
  xdotool key --delay 100 Up Return
  ends "after its main window was closed"
}
