#!/usr/bin/env bash
# The native Windows build and its tests under wine (x86_64 only) on Xvfb.
source "$(dirname "$0")/../lib.sh"
bash "$ROOT/scripts/build-windows.sh" --tests
# The zip's checksum beside it holds.
(cd "$ROOT/build-win" && sha256sum --check --strict lingerjob-*-windows-x86_64.zip.sha256)
require_tests "$ROOT/build-win/app/win32"
# -noreset: see start_display in tests/program/lib.sh.
xvfb-run -a -s "-noreset -screen 0 1024x768x24" bash "$ROOT/tests/win32/run-tests.sh" "$ROOT/build-win"
