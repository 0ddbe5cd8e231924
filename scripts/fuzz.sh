#!/usr/bin/env bash
# fuzz.sh [seconds-per-target] [target...]: builds the fuzz targets with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz, then runs each
# target (default: all) for the given time (default 30 s) from a fresh copy of
# its corpus in tests/fuzz/corpus. Any finding fails the run; the input that
# caused it is kept in build/fuzz/findings/.
# FUZZ_FORK=<n> runs n fuzzing processes per target (libFuzzer's -fork).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_PER_TARGET=${1:-30}
shift || true
TARGETS=("$@")
((${#TARGETS[@]})) || TARGETS=(language config driver_sensor device_cache report macro_file macro_record macro_exchange firmware_image config_import button_labels running_notice scenario)
BUILD=${FUZZ_BUILD:-$ROOT/build/fuzz}
JOBS=${JOBS:-$(nproc)}

# Longest input each target is given: room for the largest seed and a little more.
declare -A MAX_LEN=([language]=8192 [config]=4096 [driver_sensor]=4096 [device_cache]=10500 [report]=7000 [macro_file]=4096 [macro_record]=600 [macro_exchange]=8192 [firmware_image]=6000 [config_import]=10600 [button_labels]=1024 [running_notice]=4096 [scenario]=4096)
# Answers of the simulated devices arrive between inputs, so memory allocated
# for one input is freed during another: the per-input leak check cannot tell.
declare -A EXTRA=([report]="-detect_leaks=0")

echo "== building the fuzz targets in $BUILD"
CXX=${FUZZ_CXX:-clang++} cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDESKLINK_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target fuzz_targets

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# What the system's font library keeps until the process ends (targets that build widgets).
export LSAN_OPTIONS=suppressions=$ROOT/tests/fuzz/lsan.supp
export QT_QPA_PLATFORM=offscreen

failed=()
for target in "${TARGETS[@]}"; do
    exe="$BUILD/tests/fuzz/fuzz_$target"
    [[ -x $exe && -n ${MAX_LEN[$target]:-} ]] || { echo "no fuzz target \"$target\"" >&2; exit 2; }
    run="$BUILD/run/$target"
    findings="$BUILD/findings/$target"
    rm -rf "$run"
    mkdir -p "$run/corpus" "$findings"
    cp "$ROOT/tests/fuzz/corpus/$target/"* "$run/corpus/"
    options=(-max_total_time="$SECONDS_PER_TARGET" -max_len="${MAX_LEN[$target]}" -timeout=25
             -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/")
    [[ -n ${EXTRA[$target]:-} ]] && options+=(${EXTRA[$target]})
    [[ -n ${FUZZ_FORK:-} ]] && options+=(-fork="$FUZZ_FORK")
    echo "== fuzzing $target for ${SECONDS_PER_TARGET} s"
    if (cd "$run" && "$exe" "${options[@]}" corpus >"$run/log" 2>&1); then
        grep -E "^(Done|stat::number_of_executed_units|INFO: exiting)" "$run/log" || true
    else
        tail -n 60 "$run/log"
        echo "== FINDING in $target: $(ls -t "$findings" | head -n 1) (log: $run/log)"
        failed+=("$target")
    fi
done

if ((${#failed[@]})); then
    echo "== fuzzing found problems in: ${failed[*]}"
    exit 1
fi
echo "== fuzzing found nothing"
