#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them: bench/run.sh [build folder] [area...]
# Areas: loading, search (all of them when none is named).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" libc-bin grep
build=${1:-${TANKEDOSAN_BENCH_BUILD:-$repo/build-bench}}
shift $(( $# > 0 ? 1 : 0 ))
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target tankedosan_bench -j2
exec "$build/bench/tankedosan_bench" "$@"
