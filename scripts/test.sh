#!/usr/bin/env bash
# Installs what is missing, checks the format and the structure of the code, builds, runs every
# test, and builds and checks the Debian package. Extra arguments go to CMake's configure step
# (CI adds -DVODURO_WERROR=ON -DVODURO_BUILD_BENCH=ON); the benchmarks are not built otherwise.
# VODURO_SANITIZE=1 builds into build-asan with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
find src tests fuzz bench tools \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror
scripts/check-structure.sh
if [ "${VODURO_SANITIZE:-0}" = 1 ]; then
    export VODURO_BUILD_DIR=build-asan VODURO_BUILD_TYPE=Debug
    scripts/build.sh -DVODURO_SANITIZE=ON -DVODURO_BUILD_BENCH=OFF "$@"
else
    scripts/build.sh -DVODURO_BUILD_BENCH=OFF "$@"
fi
[ "${VODURO_SANITIZE:-0}" = 1 ] || scripts/check-package.sh
export QT_QPA_PLATFORM=offscreen
# Last, so that the test runner's summary closes the output.
ctest --test-dir "${VODURO_BUILD_DIR:-build}" --output-on-failure -j2
