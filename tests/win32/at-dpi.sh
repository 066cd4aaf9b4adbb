#!/usr/bin/env bash
# Runs a Windows program under wine with the system DPI set to another value, in
# a wine prefix of its own beside the usual one (the DPI is a setting of the
# prefix; programs read it when they start).
#   at-dpi.sh <dpi> <program.exe> [arguments...]
source "$(dirname "$0")/../../scripts/lib.sh"
dpi=$1
shift
export WINEPREFIX_LINGERJOB="${WINEPREFIX:-$ROOT/build-win/wineprefix}-${dpi}dpi"
source "$ROOT/tests/win32/wine-env.sh"
prepare_wine_prefix
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine "$@"
