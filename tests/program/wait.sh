#!/usr/bin/env bash
# The wait as a script uses it, against real processes: $1 is "headless", "xvfb"
# (then the whole test runs on one Xvfb server) or "alone" (headless, with the
# program copied into a folder of its own: no window program, no Qt beside it).
# The watches run side by side: each must still wait after two ticks, then end
# within a tick of its cue.
source "$(dirname "$0")/lib.sh"
display=${1:-headless}
if [ "$display" = xvfb ] && [ -z "${LINGERJOB_IN_XVFB:-}" ]; then
    LINGERJOB_IN_XVFB=1 exec xvfb-run -a bash "$0" "$@"
fi
if [ "$display" = alone ]; then
    mkdir "$SCRATCH/alone"
    cp "$LINGERJOB" "$SCRATCH/alone/lingerjob"
    LINGERJOB="$SCRATCH/alone/lingerjob"
fi
# The copies under other names, which must find each other but never themselves:
# with a display the window program itself, since the launcher would exec the
# one program named lingerjob-window.
copied=$LINGERJOB
if [ "$display" = xvfb ]; then
    copied="$(dirname "$LINGERJOB")/lingerjob-window"
    launch=(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
else
    launch=("${HEADLESS[@]}")
fi
tick=3
id="$$-$display"

watch() {  # name, then the program and its arguments
    local name=$1
    shift
    spawn "${launch[@]}" "$@" 2>"$SCRATCH/$name.err"
    declare -g "$name=$SPAWNED"
}
ends_with_0() {  # name, what it waits for, time of the cue
    wait_for_end "${!1}" $((tick + 3))
    echo "$1: $2: ended $((ENDED - $3)) ms after the cue, status $STATUS"
    [ "$STATUS" -eq 0 ] || fail "$1 ended with status $STATUS: $(cat "$SCRATCH/$1.err")"
}

# The tasks are parts of the names beyond the kernel's 15-character short name.
# Mode 1 waits while the probe runs; its task in capitals finds it all the same.
gone_probe=$(make_probe "lingerjob-probe-waits-$id")
start_probe "$gone_probe"
gone_probe_pid=$PROBE_PID
watch mode1 "$LINGERJOB" /1 "/Waits-${id^^}"
# Mode 0 waits while no probe runs.
later_probe=$(make_probe "lingerjob-probe-starts-$id")
watch mode0 "$LINGERJOB" /0 "/starts-$id"
# The program never finds itself, but finds another copy of itself.
cp "$copied" "$SCRATCH/lingerjob-alone-$id"
cp "$copied" "$SCRATCH/lingerjob-pair-$id"
watch alone "$SCRATCH/lingerjob-alone-$id" /0 "/alone-$id"
watch other "$SCRATCH/lingerjob-pair-$id" /0 "/no-such-task-$id"
watch self "$SCRATCH/lingerjob-pair-$id" /1 "/pair-$id"

# A script whose own name holds the task, as setup-wait.sh runs
# "./setup & lingerjob /1 /setup": its wait is on its sibling, never on itself
# or the shell that runs it. Mode 0 does not end at the first tick either.
setup=$(make_probe "ljsetup-$id")
printf '#!/bin/sh\n"%s" 600 &\necho $! >"%s.pid"\n"%s" /1 /ljsetup-%s\n' \
    "$setup" "$setup" "$LINGERJOB" "$id" >"$SCRATCH/ljsetup-$id-wait.sh"
printf '#!/bin/sh\n"%s" /0 /ljsetup0-%s\n' "$LINGERJOB" "$id" >"$SCRATCH/ljsetup0-$id-wait.sh"
chmod 755 "$SCRATCH/ljsetup-$id-wait.sh" "$SCRATCH/ljsetup0-$id-wait.sh"
watch setup1 "$SCRATCH/ljsetup-$id-wait.sh"
watch setup0 "$SCRATCH/ljsetup0-$id-wait.sh"
later_setup=$(make_probe "ljsetup0-$id")

sleep $((tick * 2 + 1))
PIDS+=("$(cat "$setup.pid")")
for name in mode1 mode0 alone other self setup1 setup0; do
    kill -0 "${!name}" 2>/dev/null || fail "$name ended before its cue: $(cat "$SCRATCH/$name.err")"
done
if [ "$display" != xvfb ] && grep -q libQt6 "/proc/$mode1/maps"; then
    fail "a wait without a display loaded Qt"
fi

cue=$(now_ms)
PROBE_PID=$gone_probe_pid
stop_probe
start_probe "$later_probe"
{ kill -9 "$other" && wait "$other"; } 2>/dev/null || true
kill -9 "$(cat "$setup.pid")"
start_probe "$later_setup"
ends_with_0 mode1 "the probe ended" "$cue"
ends_with_0 mode0 "a probe started" "$cue"
ends_with_0 self "the other copy ended" "$cue"
ends_with_0 setup1 "the script's setup ended" "$cue"
ends_with_0 setup0 "another setup started" "$cue"
sleep 1
kill -0 "$alone" 2>/dev/null || fail "mode 0 on its own name ended: $(cat "$SCRATCH/alone.err")"
echo "alone: still waiting $(($(now_ms) - cue)) ms after the cue"
echo "wait ($display): ok"
