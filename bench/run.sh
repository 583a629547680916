#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them: bench/run.sh [build folder]
# One benchmark per area: loading (the main window) and the editor. TANKEDOSAN_BENCH_AREAS picks some of
# them, e.g. TANKEDOSAN_BENCH_AREAS=editor.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" libc-bin coreutils
build=${1:-${TANKEDOSAN_BENCH_BUILD:-$repo/build-bench}}
areas=${TANKEDOSAN_BENCH_AREAS:-loading editor}
declare -A target=([loading]=tankedosan_bench [editor]=tankedosan_bench_editor)
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
for area in $areas; do
  [ -n "${target[$area]:-}" ] || { echo "unknown area: $area (loading, editor)" >&2; exit 2; }
  cmake --build "$build" --target "${target[$area]}" -j2
done
status=0
for area in $areas; do
  echo "== $area =="
  "$build/bench/${target[$area]}" || status=$?
done
exit $status
