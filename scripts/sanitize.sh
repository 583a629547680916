#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of their
# own (build-asan) and runs every test there. Any report (a bad access, undefined behaviour, a leak) ends the
# test program with an error, so it fails the run. scripts/test.sh runs this after the ordinary build's tests.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" xvfb xauth xdotool fortune-mod locales "${DESKTOP_TEST_PACKAGES[@]}"
build=${ASAN_BUILD_DIR:-$here/build-asan}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTANKEDOSAN_SANITIZE=ON >/dev/null
cmake --build "$build" -j2
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$here/scripts/lsan-qt.supp:print_suppressions=0
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
