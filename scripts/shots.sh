#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Writes a PNG of every window of the program and of each kind of box under Xvfb, on a copy of the sample
# collections, and an overview of them all (oversikt.png):
#   scripts/shots.sh OUT_FOLDER                 GNOME's set: Adwaita, Adwaita-Dark, Fusion dark; 11 pt, 2x
#   scripts/shots.sh OUT_FOLDER POINTS [light|dark|contrast|style]
# POINTS is the desktop font's size (11 is GNOME's), the last word the colour scheme ("style": the style's own);
# QT_STYLE_OVERRIDE picks the style and QT_SCALE_FACTOR=2 takes them on a scaled screen.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" xvfb xauth adwaita-qt6
build=${BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j2 --target tankedosan_shots >/dev/null
unset QT_QPA_PLATFORM
shots() { xvfb-run -a -s "-screen 0 3200x2400x24 -noreset" "$build/tools/tankedosan_shots" "$here/data" "$@"; }
if [ $# -gt 1 ]; then
  shots "$out" "${@:2}"
  exit
fi
for set in Adwaita:style Adwaita-Dark:style Fusion:dark; do
  QT_STYLE_OVERRIDE=${set%%:*} QT_SCALE_FACTOR=2 shots "$out/${set%%:*}-${set##*:}" 11 "${set##*:}"
done
