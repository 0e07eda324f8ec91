#!/usr/bin/env bash
# Builds the screenshot tool and writes a PNG of each main-window page and of the Coms Setup
# window, with sample data, into the directory given (default: build/screenshots), and the same
# in German into its de/ subdirectory.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VODURO_BUILD_DIR:-build}
out=${1:-$build_dir/screenshots}
[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=${VODURO_BUILD_TYPE:-RelWithDebInfo}
# The program's target compiles the translations beside it, where the tool looks for them.
cmake --build "$build_dir" --target voduro voduro_screenshots
QT_QPA_PLATFORM=offscreen "$build_dir/voduro_screenshots" "$out"
QT_QPA_PLATFORM=offscreen "$build_dir/voduro_screenshots" "$out/de" de
