#!/usr/bin/env bash
# Sets up what is missing, builds the program and runs its main job on the
# example transit: the calculation of one transit, printed as JSON.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELLANE_TESTS=OFF -DTRELLANE_BENCH=OFF >/dev/null
cmake --build build/release --target trellane-cli
./build/release/src/cli/trellane-cli calc "${1:-examples/cable-transit.json}"
