#!/usr/bin/env bash
# Configures and builds the monitor and its tests into build/ (the benchmarks too with
# -DVODURO_BUILD_BENCH=ON).
# Extra arguments go to CMake's configure step (e.g. -DVODURO_SANITIZE=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VODURO_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${VODURO_BUILD_TYPE:-RelWithDebInfo} "$@"
cmake --build "$build_dir" -j"$(nproc)"
