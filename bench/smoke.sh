#!/usr/bin/env bash
# Runs each benchmark program given once, as briefly as Google Benchmark allows, and fails only
# when one of them fails: timings are not looked at.
set -euo pipefail
if [ $# -eq 0 ]; then
    echo "usage: bench/smoke.sh BENCHMARK_PROGRAM..." >&2
    exit 2
fi
for program in "$@"; do
    echo "== $(basename "$program")"
    if ! "$program" --benchmark_min_time=0.001 --benchmark_format=console; then
        echo "$(basename "$program") failed" >&2
        exit 1
    fi
done
