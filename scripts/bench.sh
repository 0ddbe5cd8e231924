#!/usr/bin/env bash
# bench.sh [--short] [--runs N]: builds the program (Release) and runs its
# benchmark headless, under Xvfb when it is installed, else on Qt's offscreen
# platform. Prints each figure against its floor; the figures never fail it,
# only a measured program that crashes or can no longer be measured does.
# BENCH_BUILD_DIR=<configured build folder> measures that build instead.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
JOBS=${JOBS:-$(nproc)}

if [[ -n ${BENCH_BUILD_DIR:-} ]]; then
    BUILD=$BENCH_BUILD_DIR
    cmake --build "$BUILD" -j "$JOBS" --target desklink-bench
else
    bash "$ROOT/scripts/setup-debian.sh"
    BUILD=$ROOT/build/bench
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDESKLINK_BUILD_TESTS=OFF >/dev/null
    cmake --build "$BUILD" -j "$JOBS" --target desklink-bench
fi

BENCH=$BUILD/bench/desklink-bench
XVFB_ARGS=(-a -s "-screen 0 1280x1024x24 -nolisten tcp")
if [[ ${BENCH_PLATFORM:-xvfb} == xvfb ]] && command -v xvfb-run >/dev/null \
    && xvfb-run "${XVFB_ARGS[@]}" true >/dev/null 2>&1; then
    export QT_QPA_PLATFORM=xcb DESKLINK_BENCH_DISPLAY="xcb (Xvfb)"
    exec xvfb-run "${XVFB_ARGS[@]}" "$BENCH" "$@"
fi
export QT_QPA_PLATFORM=offscreen
exec "$BENCH" "$@"
