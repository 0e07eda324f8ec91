#!/usr/bin/env bash
# Builds the screenshot tool and writes a PNG of each main-window page and of the Coms Setup
# window, with sample data, and one of the main window in German (main-de.png), into the
# directory given (default: build/screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VODURO_BUILD_DIR:-build}
out=${1:-$build_dir/screenshots}
[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=${VODURO_BUILD_TYPE:-RelWithDebInfo}
cmake --build "$build_dir" --target voduro_screenshots voduro
QT_QPA_PLATFORM=offscreen "$build_dir/voduro_screenshots" "$out"
