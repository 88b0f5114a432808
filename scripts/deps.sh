#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Titora need,
# and only those that are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libjpeg62-turbo-dev
    # The converters of the Encoding Standard's encodings, for titles.
    libicu-dev
    libgtest-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev
    fonts-wine fonts-liberation fonts-dejavu-core
    locales
    # Making the Debian package and checking its desktop entry and AppStream file.
    dpkg-dev appstream desktop-file-utils
    # Checking the window on a real accessibility bus.
    xvfb dbus at-spi2-core python3-pyatspi
    # Validating titora-cli's SARIF log against the SARIF schema.
    python3-jsonschema
)
# The engine built for Windows and tested under wine; the window started under wine on a
# virtual display and driven by keys, its picture taken; the Windows installer made and its
# archive read; the package's hardening checked (hardening-check comes with devscripts)
# and linted. Their recommendations (sound, video and printing libraries for wine, the
# tools of a Debian developer's desk) are not needed by these tests.
packages_without_recommends=(
    g++-mingw-w64-x86-64-posix wine64
    xdotool imagemagick nsis unzip
    devscripts lintian
)

missing() {
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$p"
        fi
    done
}

mapfile -t missing_packages < <(missing "${packages[@]}")
mapfile -t missing_lean < <(missing "${packages_without_recommends[@]}")
if ((${#missing_packages[@]} + ${#missing_lean[@]})); then
    echo "Installing: ${missing_packages[*]} ${missing_lean[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    if ((${#missing_packages[@]})); then
        apt-get install -y -qq "${missing_packages[@]}"
    fi
    if ((${#missing_lean[@]})); then
        apt-get install -y -qq --no-install-recommends "${missing_lean[@]}"
    fi
fi
