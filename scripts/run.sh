#!/usr/bin/env bash
# Builds lingerjob and its window program (installing what they need) and starts
# lingerjob with the given arguments.
source "$(dirname "$0")/lib.sh"
need_packages "${BUILD_PACKAGES[@]}"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" --target lingerjob lingerjob-window -j"$(nproc)"
exec "$ROOT/build/lingerjob" "$@"
