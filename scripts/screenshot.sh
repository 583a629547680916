#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Writes a PNG of the running program under Xvfb, on a copy of the sample collections:
#   scripts/screenshot.sh out.png [xdotool key ...]
# Keys given after the file name are typed into the main window first (e.g. "alt+a" opens the Arkiv menu).
# SHOT_SCREEN=1 takes the whole screen, for windows that open centred on it (F3 opens the search window).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1"); shift
if [ -z "${SHOT_INSIDE_X:-}" ]; then
  . "$here/scripts/deps.sh"
  need_packages "${BUILD_PACKAGES[@]}" xvfb xauth xdotool
  build=${BUILD_DIR:-$here/build}
  cmake -S "$here" -B "$build" >/dev/null
  cmake --build "$build" -j2 --target tankedosan tankedosan_grab >/dev/null
  SHOT_INSIDE_X=1 BUILD="$build" exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$out" "$@"
fi

folder=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$folder"' EXIT
cp "$BUILD/src/tankedosan" "$folder/"
cp "$here"/data/*.dat "$here/data/help.txt" "$folder/"
# The X server may still be coming up when xvfb-run hands over.
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
unset QT_QPA_PLATFORM
"$folder/tankedosan" &
pid=$!
window=
for _ in $(seq 1 100); do
  window=$(xdotool search --onlyvisible --name '^Tankedosan' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no main window appeared" >&2; exit 1; }
sleep 0.5
xdotool windowfocus --sync "$window"
for key in "$@"; do
  xdotool key "$key"
  sleep 0.3
done
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$window")"
if [ -n "${SHOT_SCREEN:-}" ]; then
  eval "$(xdotool getdisplaygeometry --shell)"
  "$BUILD/tools/tankedosan_grab" "$out" 0 0 "$WIDTH" "$HEIGHT"
  echo "$out"
  exit 0
fi
# Menus drop below and beside the window: take a margin around it.
"$BUILD/tools/tankedosan_grab" "$out" $((X > 10 ? X - 10 : 0)) $((Y > 40 ? Y - 40 : 0)) $((WIDTH + 200)) $((HEIGHT + 250))
echo "$out"
