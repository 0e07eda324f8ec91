#!/usr/bin/env bash
# Installs what is missing, builds, runs every test, and builds and checks the Debian package.
# VODURO_SANITIZE=1 builds into build-asan with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ "${VODURO_SANITIZE:-0}" = 1 ]; then
    export VODURO_BUILD_DIR=build-asan VODURO_BUILD_TYPE=Debug
    scripts/build.sh -DVODURO_SANITIZE=ON -DVODURO_BUILD_BENCH=OFF
else
    scripts/build.sh
fi
[ "${VODURO_SANITIZE:-0}" = 1 ] || scripts/check-package.sh
export QT_QPA_PLATFORM=offscreen
# Last, so that the test runner's summary closes the output.
ctest --test-dir "${VODURO_BUILD_DIR:-build}" --output-on-failure -j2
