#!/usr/bin/env bash
# Builds Velmora and starts the window. Without a display it says so and
# converts the bundled sample with the command-line converter instead.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages cmake make g++ qt6-base-dev fonts-wqy-microhei xdg-utils

build=${VELMORA_BUILD_DIR:-build}
cmake -S . -B "$build" -DVELMORA_TESTS=OFF
cmake --build "$build" -j"$(nproc)"

if [ -x "$build/ui/velmora" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec "$build/ui/velmora"
fi
echo "No display available: converting examples/angles.txt with velmora-convert instead."
"$build/cli/velmora-convert" examples/angles.txt
