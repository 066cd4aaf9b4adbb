#!/usr/bin/env bash
# The Linux build and its tests: unit, window (offscreen and Xvfb) and whole-program.
source "$(dirname "$0")/../lib.sh"
need_packages "${BUILD_PACKAGES[@]}" libgtest-dev xvfb xauth xclip xdotool
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" -j"$(nproc)"
cd "$ROOT/build"
ctest --output-on-failure -j2
