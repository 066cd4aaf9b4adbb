#!/usr/bin/env bash
# The native Windows build and its tests under wine (x86_64 only) on Xvfb.
source "$(dirname "$0")/../lib.sh"
bash "$ROOT/scripts/build-windows.sh"
# wine64 only (no wine32: the program is x86_64); fonts-wine for the dialog font;
# icoutils to read the resources back.
need_packages wine wine64 fonts-wine xvfb xauth icoutils
xvfb-run -a -s "-screen 0 1024x768x24" bash "$ROOT/tests/win32/run-tests.sh" "$ROOT/build-win"
