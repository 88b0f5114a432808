#!/usr/bin/env bash
# Kills saving processes at random moments, KILLS times on each road a save can take
# (1,000 unless given), and checks after each kill that the next engine call leaves the
# page whole, and at the end that one more save in the folder leaves no temporary file.
# Run as root to include the roads of pages owned by another user.
#   usage: scripts/crash_test.sh [KILLS]
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-1000}
cmake -S . -B build-crash -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTITORA_ENGINE_ONLY=ON \
    -DTITORA_BENCH=OFF > /dev/null
cmake --build build-crash --target crash_test
TITORA_CRASH_KILLS=$kills build-crash/tests/engine/crash_test
