#!/usr/bin/env bash
# What a check costs the window program against the console program, measured
# side by side under wine on Xvfb: Lingerjob.exe's tick (its list refilled and
# repainted) and lingerjob.com's check with the same list of PROCESSES processes
# (1,000 by default; names made up, the same for both), and the Tool Help
# enumeration itself. Prints the figures, including the ratio, which is meant to
# stay at most 1.5; fails only when something cannot be measured.
#   measure-windows-tick.sh [processes] [ticks] [ending] [starting]
# (ending: processes that end between two checks, 10 by default; starting: those
# that start, as many as end by default, so that the count stays)
source "$(dirname "$0")/lib.sh"
need_packages xvfb xauth
bash "$ROOT/scripts/build-windows.sh" --tests >/dev/null
source "$ROOT/tests/win32/wine-env.sh"
prepare_wine_prefix
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
xvfb-run -a -s "-noreset -screen 0 1024x768x24" \
    wine "$ROOT/build-win/app/win32/tests/tick_measure.exe" "${1:-1000}" "${2:-20}" "${3:-10}" ${4:+"$4"}
