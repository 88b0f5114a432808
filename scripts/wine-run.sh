#!/usr/bin/env bash
# Runs a program built for Windows under wine64: the emulator through which ctest starts
# every test program of a build made with cmake/mingw-w64-x86_64.cmake.
#
#   wine-run.sh [--dlls DIR[:DIR]...] PROGRAM.exe [ARGUMENT]...
#
# --dlls names the folders of the DLLs the program needs (Qt's, the compiler's runtime),
# which go first on the program's search path (WINEPATH). Wine hands a Windows program no
# variable of the host's whose name begins with QT_ (its own host side may use them), but
# it hands on WINEQT_NAME as QT_NAME: each QT_ variable set here, such as a test's
# QT_QPA_PLATFORM=offscreen, is passed that way.
set -euo pipefail

if [[ ${1-} == --dlls ]]; then
    IFS=: read -ra folders <<<"$2"
    shift 2
    path=""
    for folder in "${folders[@]}"; do
        path+="${path:+;}Z:$folder"
    done
    export WINEPATH="$path${WINEPATH:+;$WINEPATH}"
fi
for name in $(compgen -e); do
    if [[ $name == QT_* ]]; then
        export "WINE$name=${!name}"
    fi
done
exec /usr/lib/wine/wine64 "$@"
