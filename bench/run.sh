#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Builds the benchmark in Release and runs it: bench/run.sh [AREA...] (every area when none is named).
# TANKEDOSAN_BENCH_BUILD names another build folder.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/deps.sh"
# The fortune area reads Debian's fortune folders and runs fortune itself.
# The desktop area asks the search service with gdbus on a bus of its own (dbus-daemon).
need_packages "${BUILD_PACKAGES[@]}" libc-bin grep coreutils fortune-mod fortunes fortunes-de libglib2.0-bin dbus
build=${TANKEDOSAN_BENCH_BUILD:-$repo/build-bench}
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target tankedosan_bench -j2
exec "$build/bench/tankedosan_bench" "$@"
