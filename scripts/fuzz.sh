#!/usr/bin/env bash
# Builds the fuzz programs with clang, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/ and runs each of them for the given number of seconds (default 60), one after the
# other, starting from the checked-in corpus in fuzz/corpus/<name>/. New inputs go to
# build-fuzz/corpus/<name>/, a failing input to build-fuzz/artifacts/<name>/; copy a reproducer
# into fuzz/corpus/<name>/ once its fault is mended, so the corpus test keeps checking it.
# Usage: scripts/fuzz.sh [seconds] [name...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
all=(zorerinput ipinput decoder accountfile journal automationlines dc09)
names=("${@:-${all[@]}}")
build_dir=build-fuzz
configure_log=$build_dir/configure.log
mkdir -p "$build_dir"

# Debug keeps Qt's container asserts (an index past the end aborts); -O1 keeps the runs quick.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DVODURO_FUZZ=ON -DVODURO_SANITIZE=ON \
    -DVODURO_BUILD_TESTS=OFF -DVODURO_BUILD_BENCH=OFF ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} \
    >"$configure_log" 2>&1 || { tail -n 25 "$configure_log"; echo "fuzz: configure failed (whole output: $configure_log)"; exit 1; }
cmake --build "$build_dir" -j"$(nproc)" --target "${names[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for name in "${names[@]}"; do
    corpus=$build_dir/corpus/$name
    artifacts=$build_dir/artifacts/$name/
    mkdir -p "$corpus" "$artifacts"
    echo "== fuzz_$name for ${seconds}s"
    if ! "$build_dir/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts" -print_final_stats=1 "$corpus" "fuzz/corpus/$name" \
        >"$build_dir/fuzz_$name.log" 2>&1; then
        echo "fuzz_$name FAILED: see $build_dir/fuzz_$name.log and $artifacts"
        status=1
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$build_dir/fuzz_$name.log" || true
done
exit $status
