#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Builds the program and its tests with gcov counting in a folder of their own (build-coverage), runs every
# test there and prints the line coverage of src/ per file with the total, then the branches of src/store/
# that no test takes.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" xvfb xauth xdotool fortune-mod locales "${DESKTOP_TEST_PACKAGES[@]}" gcovr
build=${COVERAGE_BUILD_DIR:-$here/build-coverage}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTANKEDOSAN_COVERAGE=ON >/dev/null
cmake --build "$build" -j2
find "$build" -name '*.gcda' -delete
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure)
echo
gcovr --root "$here" --filter "$here/src/" --print-summary "$build"
echo
echo "Branches of src/store/ (Missing: line numbers with a branch no test takes):"
gcovr --root "$here" --filter "$here/src/store/" --branches --exclude-throw-branches --exclude-unreachable-branches "$build"
