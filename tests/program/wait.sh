#!/usr/bin/env bash
# The wait as a script uses it, against real processes: $1 is "headless", "xvfb",
# or "alone": headless, the program copied into a folder of its own (no window
# program, no Qt beside it).
source "$(dirname "$0")/lib.sh"
run() {
    if [ "$1" = xvfb ]; then
        shift
        env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM xvfb-run -a "$@"
    else
        shift
        headless "$@"
    fi
}
display=${1:-headless}
if [ "$display" = alone ]; then
    mkdir "$SCRATCH/alone"
    cp "$LINGERJOB" "$SCRATCH/alone/lingerjob"
    LINGERJOB="$SCRATCH/alone/lingerjob"
fi
tick=3

# The task is a part of the probe's name beyond the kernel's 15-character short name.
probe=$(make_probe "lingerjob-probe-waits-$$-$display")
task="waits-$$-$display"

# Mode 1: waits while the probe runs, ends within a tick after it ends.
start_probe "$probe"
run "$display" "$LINGERJOB" /1 "/$task" 2>"$SCRATCH/err1" &
watcher=$!
PIDS+=("$watcher")
still_running_after "$watcher" $((tick * 2 + 1)) || fail "mode 1 ended while the probe ran"
if [ "$display" != xvfb ] && grep -q libQt6 "/proc/$watcher/maps"; then
    fail "a wait without a display loaded Qt"
fi
stop_probe
wait_for_end "$watcher" $((tick + 3))
[ "$STATUS" -eq 0 ] || fail "mode 1 ended with status $STATUS: $(cat "$SCRATCH/err1")"

# Mode 0: waits while no probe runs, ends within a tick after one starts.
run "$display" "$LINGERJOB" /0 "/$task" 2>"$SCRATCH/err0" &
watcher=$!
PIDS+=("$watcher")
still_running_after "$watcher" $((tick * 2 + 1)) || fail "mode 0 ended while no probe ran"
start_probe "$probe"
wait_for_end "$watcher" $((tick + 3))
[ "$STATUS" -eq 0 ] || fail "mode 0 ended with status $STATUS: $(cat "$SCRATCH/err0")"
stop_probe
echo "wait ($display): ok"
