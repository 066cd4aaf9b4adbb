#!/usr/bin/env bash
# Builds the native Windows program, build-win/Lingerjob.exe (x86_64, statically
# linked, GUI), with Debian's mingw-w64; installs what it needs. The Windows
# test programs are built beside it (see scripts/stages/50-windows.sh).
source "$(dirname "$0")/lib.sh"
need_packages cmake make g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
cmake -S "$ROOT" -B "$ROOT/build-win" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DLINGERJOB_TESTS=OFF >/dev/null
cmake --build "$ROOT/build-win" -j"$(nproc)"
log "built $ROOT/build-win/Lingerjob.exe ($(stat -c %s "$ROOT/build-win/Lingerjob.exe") bytes)"
