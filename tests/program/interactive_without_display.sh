#!/usr/bin/env bash
# Without arguments and without a display the window cannot be used: say so, status 1.
source "$(dirname "$0")/lib.sh"
status=0
headless "$LINGERJOB" >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 1 ] || fail "ended with $status, not 1"
grep -q "no display" "$SCRATCH/err" || fail "no explanation on standard error"
# A dead display is no display either: the program must not abort.
status=0
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:93 "$LINGERJOB" /x >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "with a dead display bad arguments ended with $status"
# Copied alone onto a machine, the program cannot show the window: it says so.
mkdir "$SCRATCH/alone"
cp "$LINGERJOB" "$SCRATCH/alone/lingerjob"
status=0
env -u WAYLAND_DISPLAY DISPLAY=:93 "$SCRATCH/alone/lingerjob" >/dev/null 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 1 ] || fail "without the window program a window start ended with $status"
grep -q "lingerjob-window is missing" "$SCRATCH/err" || fail "no word of the missing window program"
echo "interactive without display: ok"
