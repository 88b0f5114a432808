#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test:
# the unit and GUI tests (headless), the engine tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the engine tests built for Windows and run under wine, the
# whole program built for Windows and tested under wine (its window started, its installer
# run) where a Qt for Windows can be had, and the engine fuzzer for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Build and test"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTITORA_WERROR=ON
cmake --build build-test -j "$jobs"
# Each ctest run's tally is kept for the summary line at the end.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run_ctest() {
    ctest --test-dir "$1" --output-on-failure -j "$jobs" | tee -a "$log"
}
run_ctest build-test

echo "== Engine tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTITORA_WERROR=ON \
    -DTITORA_ENGINE_ONLY=ON -DTITORA_SANITIZE=ON -DTITORA_BENCH=OFF
cmake --build build-asan -j "$jobs"
run_ctest build-asan

echo "== Engine tests for Windows, under wine"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTITORA_WERROR=ON -DTITORA_ENGINE_ONLY=ON -DTITORA_BENCH=OFF
cmake --build build-win -j "$jobs"
bash scripts/wine-ctest.sh build-win -j "$jobs" | tee -a "$log"

echo "== The whole program for Windows, under wine"
# A Qt built for Windows: the folder TITORA_QT_WINDOWS names, or the archive beside the
# clone (../shared/qt6-mingw/, see its README) unpacked once into a cache folder.
qt_windows=${TITORA_QT_WINDOWS:-}
archive=../shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz
cache=${XDG_CACHE_HOME:-$HOME/.cache}/titora
if [[ -z $qt_windows && -f $archive ]]; then
    qt_windows=$cache/qt6-mingw
    if [[ ! -f $qt_windows/lib/cmake/Qt6/Qt6Config.cmake ]]; then
        mkdir -p "$cache"
        rm -rf "$qt_windows"
        tar xJf "$archive" -C "$cache"
    fi
fi
if [[ -n $qt_windows && -f $qt_windows/lib/cmake/Qt6/Qt6Config.cmake ]]; then
    cmake -S . -B build-win-qt -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTITORA_WERROR=ON -DTITORA_BENCH=OFF \
        -DTITORA_QT_WINDOWS="$(cd "$qt_windows" && pwd)"
    cmake --build build-win-qt -j "$jobs"
    bash scripts/wine-ctest.sh build-win-qt -j "$jobs" | tee -a "$log"
else
    echo "titora: skipped the window for Windows: no Qt for Windows (set TITORA_QT_WINDOWS or see README.md)"
fi

echo "== Engine fuzzer, 30 seconds"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTITORA_WERROR=ON -DTITORA_ENGINE_ONLY=ON -DTITORA_FUZZ=ON -DTITORA_BENCH=OFF -DBUILD_TESTING=OFF
cmake --build build-fuzz -j "$jobs" --target fuzz_title_engine
bash fuzz/run.sh build-fuzz/fuzz/fuzz_title_engine 30

# ctest stops the script at the first failing run (set -e), so reaching this line means
# every test passed: the sum of the ctest runs, plus the fuzzer.
passed=$(awk '/tests passed, 0 tests failed out of/ { n += $NF } END { print n + 0 }' "$log")
echo
echo "titora: $((passed + 1)) passed, 0 failed"
