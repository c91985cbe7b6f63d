#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ with clang into build-fuzz/ and runs every target for
# SECONDS seconds (default 60), side by side, then prints each one's executions and coverage.
# New inputs found go to build-fuzz/corpus/<target>/; the seeds in fuzz/corpus/ are only read.
# A crash or failed check leaves its input in build-fuzz/artifacts/ and makes the script fail.
set -euo pipefail

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [SECONDS]   (seconds per target, a whole number, default 60)" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
targets=(settings_fuzz phrase_fuzz)

# clang and its runtime for libFuzzer and the sanitizers (the llvm-defaults packages of the
# release's own clang).
"$root/tools/setup-debian.sh" run clang libclang-rt-dev

echo "Building the fuzz targets in $build"
mkdir -p "$build/logs" "$build/artifacts"
if ! CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" >"$build/logs/configure.log" 2>&1; then
    cat "$build/logs/configure.log" >&2
    echo "Configuring the fuzz targets failed" >&2
    exit 1
fi
cmake --build "$build" -j"$(nproc)" >/dev/null

# The settings target writes a file, saves and renames on every input: on a memory file system
# that runs twenty times faster than on a disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    work=$(mktemp -d /dev/shm/chronwick-fuzz-XXXXXX)
else
    work=$(mktemp -d "$build/tmp-XXXXXX")
fi
trap 'rm -rf "$work"' EXIT
# Only phrase_fuzz reads a fixed size: four ints.
declare -A max_len=([settings_fuzz]=1024 [phrase_fuzz]=16)

pids=()
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target"
    echo "Running $target for $seconds s"
    # The settings target works in a private folder under TMPDIR; all paths given are absolute.
    TMPDIR="$work" "$build/$target" \
        -max_total_time="$seconds" -timeout=10 -max_len="${max_len[$target]}" \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$build/corpus/$target" "$root/fuzz/corpus/$target" \
        >"$build/logs/$target.log" 2>&1 &
    pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    log="$build/logs/$target.log"
    if wait "${pids[$i]}"; then
        status=ok
    else
        status=FAILED
        failed=1
    fi
    # libFuzzer's last progress line: executions, coverage, features and corpus.
    echo "$target: $status after $seconds s: $(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1)"
    if [ "$status" != ok ]; then
        echo "---- last lines of $log ----"
        tail -n 40 "$log"
        echo "Inputs that failed: $(ls "$build"/artifacts/"$target"-* 2>/dev/null || echo none)"
    fi
done
exit "$failed"
