#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Writes a PNG of every window of the program under Xvfb, on a copy of the sample collections:
#   scripts/shots.sh OUT_FOLDER [POINTS [light|dark|contrast]]
# POINTS is the desktop font's size (11 is GNOME's), the last word the colour scheme;
# QT_SCALE_FACTOR=2 scripts/shots.sh OUT_FOLDER takes them on a scaled screen.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" xvfb xauth
build=${BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j2 --target tankedosan_shots >/dev/null
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" "$build/tools/tankedosan_shots" "$here/data" "$out" "${@:2}"
