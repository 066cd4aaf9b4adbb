#!/usr/bin/env bash
# Builds the native Windows programs with Debian's mingw-w64 (x86_64, statically
# linked; installs what it needs): build-win/Lingerjob.exe (the window program,
# GUI), build-win/lingerjob.com (the console program) and the portable zip of the
# two with their README, build-win/lingerjob-VERSION-windows-x86_64.zip, and its
# SHA-256 checksum beside it (.zip.sha256, as sha256sum writes it).
#   build-windows.sh           the program alone
#   build-windows.sh --tests   the Windows test programs too, registered with
#                              ctest to run under wine, which it installs first
#                              (scripts/stages/50-windows.sh runs them)
source "$(dirname "$0")/lib.sh"
tests=OFF
case "${1:-}" in
    "") ;;
    --tests) tests=ON ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
need_packages cmake make g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 zip
if [ "$tests" = ON ]; then
    # Before configuring: the tests are registered only where wine is found.
    # wine64 only (no wine32: the program is x86_64); fonts-wine for the dialog
    # font; Xvfb for a display; icoutils to read the resources back.
    need_packages wine wine64 fonts-wine xvfb xauth icoutils
fi
cmake -S "$ROOT" -B "$ROOT/build-win" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DLINGERJOB_TESTS=OFF -DLINGERJOB_WIN32_TESTS="$tests" >/dev/null
cmake --build "$ROOT/build-win" -j"$(nproc)"
log "built $ROOT/build-win/Lingerjob.exe ($(stat -c %s "$ROOT/build-win/Lingerjob.exe") bytes)" \
    "and lingerjob.com ($(stat -c %s "$ROOT/build-win/lingerjob.com") bytes)"

version=$(sed -n 's/^project(Lingerjob VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
name="lingerjob-$version-windows-x86_64"
stage="$ROOT/build-win/zip/$name"
rm -rf "$ROOT/build-win/zip" "$ROOT/build-win/$name.zip" "$ROOT/build-win/$name.zip.sha256"
mkdir -p "$stage"
cp "$ROOT/build-win/Lingerjob.exe" "$ROOT/build-win/lingerjob.com" "$stage/"
sed 's/$/\r/' "$ROOT/app/win32/README.txt" >"$stage/README.txt"  # CR LF, for Notepad
(cd "$ROOT/build-win/zip" && zip -q -r -X "../$name.zip" "$name")
# "HASH  NAME" with CR LF: sha256sum -c checks it, and so does an eye on
# certutil -hashfile's output on Windows (README.txt says how).
(cd "$ROOT/build-win" && sha256sum "$name.zip" | sed 's/$/\r/' >"$name.zip.sha256")
log "packed $ROOT/build-win/$name.zip and its checksum $name.zip.sha256"
