#!/usr/bin/env bash
# Builds everything and runs every test (window tests headless).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages cmake make g++ libgtest-dev libbenchmark-dev qt6-base-dev fonts-wqy-microhei

build=${VELMORA_BUILD_DIR:-build}
werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B "$build" -DVELMORA_WERROR="$werror" -DVELMORA_BENCH=ON
cmake --build "$build" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
