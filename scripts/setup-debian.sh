#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine.
# Packages already present are left alone; nothing is fetched outside Debian.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5svg5-dev libxcb1-dev
    fonts-noto-cjk fonts-dejavu-core
    xvfb xauth imagemagick xdotool
    clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
    SUDO=""
    [[ $(id -u) -ne 0 ]] && SUDO="sudo"
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
