#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Titora need,
# and only those that are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libjpeg62-turbo-dev
    libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    fonts-wine fonts-liberation fonts-dejavu-core
    locales
    # Making the Debian package and checking its desktop entry and AppStream file.
    dpkg-dev appstream desktop-file-utils
    # Checking the window on a real accessibility bus.
    xvfb dbus at-spi2-core python3-pyatspi
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}"
fi
