#!/usr/bin/env bash
# Without arguments and without a display the window cannot be used: say so, status 1.
source "$(dirname "$0")/lib.sh"
status=0
headless "$LINGERJOB" >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 1 ] || fail "ended with $status, not 1"
grep -q "no display" "$SCRATCH/err" || fail "no explanation on standard error"
# A dead display is no display either: the program must not abort, and standard
# error holds the rejection alone, whichever display has gone (a Wayland one with
# its runtime folder or without, or a stale socket). A platform the user chose
# that cannot start ends with status 1 and one line, not with SIGABRT.
mkdir -m 700 "$SCRATCH/runtime"
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$SCRATCH/runtime/stale"
while IFS='|' read -r settings want lines; do
    status=0
    # shellcheck disable=SC2086  # the words are variable settings
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR $settings \
        "$LINGERJOB" /x >/dev/null 2>"$SCRATCH/err" || status=$?
    [ "$status" -eq "$want" ] && [ "$(wc -l <"$SCRATCH/err")" -eq "$lines" ] ||
        fail "with $settings: status $status, stderr: $(cat "$SCRATCH/err")"
done <<EOF
DISPLAY=:93|2|3
WAYLAND_DISPLAY=wayland-93|2|3
WAYLAND_DISPLAY=wayland-93 XDG_RUNTIME_DIR=$SCRATCH/runtime|2|3
WAYLAND_DISPLAY=stale XDG_RUNTIME_DIR=$SCRATCH/runtime|2|3
QT_QPA_PLATFORM=xcb DISPLAY=:93|1|1
EOF
# Copied alone onto a machine, the program cannot show the window: it says so.
mkdir "$SCRATCH/alone"
cp "$LINGERJOB" "$SCRATCH/alone/lingerjob"
status=0
env -u WAYLAND_DISPLAY DISPLAY=:93 "$SCRATCH/alone/lingerjob" >/dev/null 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 1 ] || fail "without the window program a window start ended with $status"
grep -q "lingerjob-window is missing" "$SCRATCH/err" || fail "no word of the missing window program"
# Without /proc (hidden in a private mount namespace) the program knows its file
# by the absolute path it was started by, or through an absolute PATH entry, and
# never runs a window program found relative to the current folder. (A
# sanitizer's runtime needs /proc.)
if [ "$(id -u)" -eq 0 ] && ! sanitized; then
    mkdir -p "$SCRATCH/cwd/lingerjob" "$SCRATCH/cwd/rel"
    cp "$LINGERJOB" "$SCRATCH/cwd/rel/lingerjob"
    for planted in lingerjob rel; do
        printf '#!/bin/sh\n%s %s/planted-ran\n' "$(command -v touch)" "$SCRATCH" >"$SCRATCH/cwd/$planted/lingerjob-window"
        chmod 755 "$SCRATCH/cwd/$planted/lingerjob-window"
    done
    while IFS='|' read -r path want said; do
        status=0
        env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:93 \
            unshare -m --propagation private /bin/sh -c \
            'mount -t tmpfs none /proc && cd "$0" && PATH=$1 && exec lingerjob /x' \
            "$SCRATCH/cwd" "$path" >/dev/null 2>"$SCRATCH/err" || status=$?
        [ "$status" -eq "$want" ] && grep -q "$said" "$SCRATCH/err" ||
            fail "without /proc, PATH=$path: status $status, stderr: $(cat "$SCRATCH/err")"
        [ ! -e "$SCRATCH/planted-ran" ] || fail "without /proc, PATH=$path ran a planted program"
    done <<EOF
$(dirname "$LINGERJOB")|2|your arguments are not right
$SCRATCH/alone|1|lingerjob-window is missing
rel|1|cannot tell where this program's file is
EOF
else
    echo "skipped: the starts without /proc (they need root and a build without a sanitizer)"
fi
echo "interactive without display: ok"
