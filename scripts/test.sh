#!/usr/bin/env bash
# Builds everything and runs every test (window tests headless), in three
# passes:
#   1. the normal build and the whole test suite;
#   2. everything rebuilt with AddressSanitizer and UndefinedBehaviorSanitizer
#      and the whole test suite again: any report fails the run;
#   3. each libFuzzer target for a short while on its seed corpus (needs clang
#      with libFuzzer, which this script installs).
# VELMORA_QUICK=1 stops after the first pass, for a quick check while
# developing; CI runs all three.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

quick=${VELMORA_QUICK:-0}
packages=(cmake make g++ libgtest-dev libbenchmark-dev qt6-base-dev fonts-wqy-microhei)
[ "$quick" = 1 ] || packages+=(clang libclang-rt-14-dev)
ensure_packages "${packages[@]}"

build=${VELMORA_BUILD_DIR:-build}
werror=OFF
[ "${CI:-}" = true ] && werror=ON
jobs=$(nproc)

echo "== Pass 1: build and test"
cmake -S . -B "$build" -DVELMORA_WERROR="$werror" -DVELMORA_BENCH=ON
cmake --build "$build" -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$jobs"

if [ "$quick" = 1 ]; then
    echo "VELMORA_QUICK=1: the sanitizer and fuzz passes were skipped"
    exit 0
fi

echo "== Pass 2: build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
# A report ends the process with exit code 86, which no program of ours uses,
# so a report in a converter that a test expects to exit with 1 still fails
# that test. Leak reports are on for every program, the window tests included;
# Qt's offscreen platform needs no suppressions.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:exitcode=86:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=86
asan_build="$build-asan"
cmake -S . -B "$asan_build" -DVELMORA_WERROR="$werror" -DVELMORA_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$asan_build" -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$asan_build" --output-on-failure -j"$jobs"

echo "== Pass 3: fuzz each input surface for ${VELMORA_FUZZ_SECONDS:=30} s"
fuzz_build="$build-fuzz"
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
    >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
    echo "clang++ with libFuzzer is not available: the fuzz pass was skipped" >&2
    exit 0
fi
cmake -S . -B "$fuzz_build" -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_WERROR="$werror" \
    -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON -DVELMORA_UI=OFF -DVELMORA_TESTS=OFF
cmake --build "$fuzz_build" -j"$jobs"
for surface in number_text lines batch; do
    # New inputs go to the build folder; the committed seeds stay as they are.
    corpus="$fuzz_build/corpus/$surface"
    mkdir -p "$corpus" "$fuzz_build/findings"
    echo "-- fuzz_$surface"
    "$fuzz_build/fuzz/fuzz_$surface" -max_total_time="$VELMORA_FUZZ_SECONDS" -timeout=10 \
        -print_final_stats=1 -dict="fuzz/$surface.dict" \
        -artifact_prefix="$fuzz_build/findings/$surface-" "$corpus" "fuzz/corpus/$surface" \
        2>"$fuzz_build/fuzz_$surface.log" ||
        { tail -n 60 "$fuzz_build/fuzz_$surface.log" >&2; exit 1; }
    grep -E '^stat::number_of_executed_units|^Done' "$fuzz_build/fuzz_$surface.log"
done
echo "All passes succeeded."
