#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# scripts/fuzz.sh SECONDS [TARGET...]: explores each fuzz target of tests/fuzz (all of them unless named), one at
# a time, for SECONDS with libFuzzer, built by clang with AddressSanitizer, UndefinedBehaviorSanitizer and Qt's
# assertions in a folder of its own (build-fuzz), from a copy of the committed corpus. An allocation past the
# bound of its input (tests/fuzz/fuzz.h) or a process past the memory limit below is a finding like a crash.
# Each finding is minimised into data/fuzz/pending/TARGET/, which the replay tests do not read: once the fault is
# fixed, give the file a name that says what it holds and move it to data/fuzz/reproducers/TARGET/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
[[ ${1:-} =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2; exit 2; }
seconds=$1
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(linestore encoding fortune numberfile numbers commandline)
[ -d "$here/data/fuzz/corpus/fortune" ] || bash "$here/scripts/fuzz-seeds.sh"
build=${FUZZ_BUILD_DIR:-$here/build-fuzz}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTANKEDOSAN_FUZZ=ON \
    >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$here/scripts/lsan-qt.supp:print_suppressions=0
# nr.ini is written and synced for every input: in memory that costs nothing.
[ -w /dev/shm ] && export TMPDIR=/dev/shm
limits=(-max_len=4096 -rss_limit_mb=2048 -malloc_limit_mb=256 -timeout=20)
signature() {
    "$fuzzer" "${limits[@]}" -runs=1 "$1" 2>&1 \
        | grep -m1 -E 'FUZZ_CHECK|ASSERT|allocation past|runtime error|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)' \
        | sed -E 's/0x[0-9a-f]+|[0-9]+//g' || true
}
found=0
for target in "${targets[@]}"; do
    fuzzer=$build/tests/fuzz/fuzz_$target
    work=$build/fuzzing/$target
    pending=$here/data/fuzz/pending/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/findings"
    cp "$here/data/fuzz/corpus/$target/"* "$work/corpus/"
    echo "== $target: $seconds s"
    # One process at a time, which goes on past a finding; every finding is kept.
    (cd "$work" && "$fuzzer" "${limits[@]}" -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
        -max_total_time="$seconds" -artifact_prefix="$work/findings/" -print_final_stats=1 corpus) \
        >"$work/log" 2>&1 || true
    grep -E '^#[0-9]+: cov:|^\[libFuzzer: ' "$work/log" | tail -n 1 || true
    # One finding for each way of failing (its first report line, numbers left out), the smallest input first.
    # Minimising keeps any failure, so an input that fails another way once minimised is kept as it was found.
    declare -A seen=()
    for finding in $(ls -Sr "$work"/findings/* 2>/dev/null); do
        why=$(signature "$finding")
        [ -z "${seen[x$why]:-}" ] || continue
        seen[x$why]=1
        mkdir -p "$pending"
        out=$pending/$(basename "$finding")
        "$fuzzer" "${limits[@]}" -minimize_crash=1 -max_total_time=60 -exact_artifact_path="$out" "$finding" \
            >"$finding.minimise.log" 2>&1 || true
        [ -e "$out" ] && [ "$(signature "$out")" = "$why" ] || cp "$finding" "$out"
        echo "finding: $out: $why"
        found=$((found + 1))
    done
    unset seen
done
echo "$found findings; logs in $build/fuzzing/"
