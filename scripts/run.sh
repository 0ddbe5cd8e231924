#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the default
# virtual devices (the simulator folder is created from the shipped sample).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bash "$ROOT/scripts/setup-debian.sh"
bash "$ROOT/scripts/build.sh" "$ROOT/build/release" -DCMAKE_BUILD_TYPE=Release -DDESKLINK_BUILD_TESTS=OFF
exec "$ROOT/build/release/app/OrvexDeskLink" "$@"
