#!/usr/bin/env bash
# bench.sh [--short] [--runs N]: builds the program (Release) and runs its
# benchmark headless, under Xvfb when it is installed, else on Qt's offscreen
# platform. Prints each figure against its floor; the figures never fail it,
# only a measured program that crashes or can no longer be measured does.
# BENCH_BUILD_DIR=<folder> builds and measures there instead of build/bench
# (an already configured folder keeps its own build type).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
JOBS=${JOBS:-$(nproc)}

BUILD=${BENCH_BUILD_DIR:-$ROOT/build/bench}
if [[ ! -f $BUILD/CMakeCache.txt ]]; then
    bash "$ROOT/scripts/setup-debian.sh"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDESKLINK_BUILD_TESTS=OFF >/dev/null
fi
# Everything the program ships with (pictures, firmware images), not only the benchmark.
cmake --build "$BUILD" -j "$JOBS"

BENCH=$BUILD/bench/desklink-bench
XVFB_ARGS=(-a -s "-screen 0 1280x1024x24 -nolisten tcp")
if [[ ${BENCH_PLATFORM:-xvfb} == xvfb ]] && command -v xvfb-run >/dev/null \
    && xvfb-run "${XVFB_ARGS[@]}" true >/dev/null 2>&1; then
    export QT_QPA_PLATFORM=xcb DESKLINK_BENCH_DISPLAY="xcb (Xvfb)"
    exec xvfb-run "${XVFB_ARGS[@]}" "$BENCH" "$@"
fi
export QT_QPA_PLATFORM=offscreen
exec "$BENCH" "$@"
