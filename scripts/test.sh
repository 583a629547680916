#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Builds everything and runs every test: the unit and window tests on Qt's offscreen platform and the tests of
# the real executable and its package under Xvfb; then the Debian package, built with Debian's flags and
# checked by lintian and the desktop's validators (scripts/check-package.sh); then the tests again, built with
# AddressSanitizer and UndefinedBehaviorSanitizer (scripts/sanitize.sh). SKIP_SANITIZE=1 leaves that out.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" xvfb xauth xdotool fortune-mod locales "${DESKTOP_TEST_PACKAGES[@]}"
build=${BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
bash "$here/scripts/check-package.sh"
[ -n "${SKIP_SANITIZE:-}" ] || bash "$here/scripts/sanitize.sh"
