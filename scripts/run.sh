#!/usr/bin/env bash
# Builds lingerjob (installing what it needs) and starts it with the given arguments.
source "$(dirname "$0")/lib.sh"
need_packages "${BUILD_PACKAGES[@]}"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" --target lingerjob -j"$(nproc)"
exec "$ROOT/build/lingerjob" "$@"
