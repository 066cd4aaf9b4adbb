#!/usr/bin/env bash
# Builds the Debian package of lingerjob (installing what the build needs) in
# build-pkg and prints the package's path. Install it with
#   apt install ./build-pkg/lingerjob_1.0.0_amd64.deb
source "$(dirname "$0")/lib.sh"
need_packages "${BUILD_PACKAGES[@]}" dpkg-dev file
build="$ROOT/build-pkg"
cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLINGERJOB_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/lingerjob_*.deb
(cd "$build" && cpack -G DEB >&2)
debs=("$build"/lingerjob_*.deb)
[ -f "${debs[0]}" ] || { echo "no package was built" >&2; exit 1; }
echo "${debs[0]}"
