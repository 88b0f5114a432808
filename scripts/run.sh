#!/usr/bin/env bash
# Installs what is missing, builds Titora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DTITORA_BENCH=OFF
cmake --build build --target titora
exec ./build/src/window/titora "$@"
