#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test headless twice:
# a normal build, and one with AddressSanitizer and UndefinedBehaviorSanitizer;
# then the tests whose code crosses threads once more under ThreadSanitizer;
# then fuzzes every parser briefly (scripts/fuzz.sh).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bash "$ROOT/scripts/setup-debian.sh"
export QT_QPA_PLATFORM=offscreen
JOBS=${JOBS:-$(nproc)}
export JOBS

run_suite() {
    local build=$1; shift
    echo "== building $build"
    bash "$ROOT/scripts/build.sh" "$build" "$@"
    echo "== testing $build"
    (cd "$build" && ctest --output-on-failure -j "$JOBS" --timeout 600)
}

run_suite "$ROOT/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The benchmark, once, on the build just tested: its figures are printed, never judged.
echo "== benchmark (short run)"
BENCH_BUILD_DIR="$ROOT/build/test" bash "$ROOT/scripts/bench.sh" --short

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite "$ROOT/build/asan" -DCMAKE_BUILD_TYPE=Debug -DDESKLINK_SANITIZE=ON

# Only the thread-crossing tests (tests/tsan/ThreadTests.cmake) are built and
# run here; any report fails its test.
echo "== building $ROOT/build/tsan (thread-crossing tests)"
cmake -S "$ROOT" -B "$ROOT/build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDESKLINK_TSAN=ON >/dev/null
cmake --build "$ROOT/build/tsan" -j "$JOBS" --target thread_tests
echo "== testing $ROOT/build/tsan"
(cd "$ROOT/build/tsan" && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest -L threads --output-on-failure -j "$JOBS" --timeout 600)

# Every parser gets 30 s of fuzzing from its seed corpus; a finding fails the run.
bash "$ROOT/scripts/fuzz.sh" 30

echo "== all tests passed"
