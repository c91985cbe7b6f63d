#!/usr/bin/env bash
# Builds the clock and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ and runs the unit and in-process tests through ctest. The window (e2e),
# packaging and benchmark tests are left out: they are slow and exercise no other code.
# Any sanitizer report, leaks included, fails the test that triggered it.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-sanitize"
jobs=$(nproc)
started=$(date +%s)

echo "Configuring $build with CHRONWICK_SANITIZE=ON"
cmake -S "$root" -B "$build" -DCHRONWICK_SANITIZE=ON -DCHRONWICK_BENCH=OFF >/dev/null
echo "Building (sanitized)"
# The build runs sanitized tools too (the numeral generator); their reports must stop it.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake --build "$build" -j"$jobs"

echo "Running the unit and in-process tests under the sanitizers"
status=0
(cd "$build" && ctest --output-on-failure -j"$jobs" -LE 'e2e|package|bench') || status=$?
echo "Sanitizer run took $(($(date +%s) - started)) s"
if [ "$status" -ne 0 ]; then
    echo "FAIL: a test failed or a sanitizer reported an error (see the output above)" >&2
fi
exit "$status"
