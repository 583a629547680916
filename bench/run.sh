#!/bin/sh
# Builds the loading benchmark in Release and runs it: bench/run.sh [build folder]
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${TANKEDOSAN_BENCH_BUILD:-$repo/build-bench}}

if ! command -v qmake6 >/dev/null 2>&1 || ! ls /usr/lib/*/cmake/Qt6/Qt6Config.cmake >/dev/null 2>&1 \
   || ! command -v cmake >/dev/null 2>&1 || ! command -v g++ >/dev/null 2>&1 || ! command -v make >/dev/null 2>&1; then
  sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y qt6-base-dev cmake g++ make libgl-dev
fi

cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target tankedosan_bench -j2
exec "$build/bench/tankedosan_bench"
