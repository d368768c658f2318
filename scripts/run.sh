#!/usr/bin/env bash
# Sets up what is missing, builds the desktop program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELLANE_TESTS=OFF -DTRELLANE_BENCH=OFF >/dev/null
cmake --build build/release --target trellane
exec ./build/release/src/app/gui/trellane
