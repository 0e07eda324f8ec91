#!/usr/bin/env bash
# Builds the screenshot tool and writes a PNG of each main-window page and of the Coms Setup
# window, with sample data, into the directory given (default: build/screenshots): in English,
# and in German into its de/ subdirectory once the German translation (translations/voduro_de.ts)
# is there.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VODURO_BUILD_DIR:-build}
out=${1:-$build_dir/screenshots}
[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=${VODURO_BUILD_TYPE:-RelWithDebInfo}
# The program's target compiles the translations beside it, where the tool looks for them; a
# translation source added since the build was configured needs the configure step again.
if [ -f translations/voduro_de.ts ] && [ ! -f "$build_dir/translations/voduro_de.qm" ]; then
    cmake -S . -B "$build_dir"
fi
cmake --build "$build_dir" --target voduro voduro_screenshots
QT_QPA_PLATFORM=offscreen "$build_dir/voduro_screenshots" "$out"
if [ -f translations/voduro_de.ts ]; then
    QT_QPA_PLATFORM=offscreen "$build_dir/voduro_screenshots" "$out/de" de
else
    echo "no German translation yet (translations/voduro_de.ts): German pictures skipped"
fi
