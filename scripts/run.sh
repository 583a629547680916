#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Builds the program and opens it on the sample collections, which the build puts beside the executable.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" qt6-translations-l10n
build=${BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target tankedosan
exec "$build/src/tankedosan"
