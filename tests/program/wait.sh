#!/usr/bin/env bash
# The wait as a script uses it, against real processes: $1 is "headless", "xvfb"
# or "weston" (then the whole test runs on a display of its own, and the window
# program runs as the launcher's child) or "alone" (headless, with the program
# copied into a folder of its own: no window program, no Qt beside it).
# The watches run side by side: each must still wait after two ticks, then end
# within a tick of its cue; a /1 wait as soon as its task has ended, before the
# next tick, and not while another matching process runs. With a display, a
# second one is stopped 2 s into two waits, which must go on without a window,
# and signals reach the window. So must waits whose window program is stopped
# then; waits on a third display, stopped then, and on a stopped window program
# still end at their --timeout.
source "$(dirname "$0")/lib.sh"
ulimit -c 0  # SIGQUIT ends a launcher and its window program below
display=${1:-headless}
if [ "$display" = alone ]; then
    mkdir "$SCRATCH/alone"
    cp "$LINGERJOB" "$SCRATCH/alone/lingerjob"
    LINGERJOB="$SCRATCH/alone/lingerjob"
fi
# The copies under other names, which must find each other but never themselves
# (with a display, nor the launcher the window program runs under).
mkdir "$SCRATCH/copies"
if [ "$display" = xvfb ] || [ "$display" = weston ]; then
    windowed=1
    cp "$(dirname "$LINGERJOB")/lingerjob-window" "$SCRATCH/copies/"
    start_display "$display" main
    launch=("${ON_DISPLAY[@]}")
else
    windowed=
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
ends_with() {  # status, name, what it waits for, time of the cue
    wait_for_end "${!2}" $((tick + 3))
    echo "$2: $3: ended $((ENDED - $4)) ms after the cue, status $STATUS"
    [ "$STATUS" -eq "$1" ] || fail "$2 ended with status $STATUS: $(cat "$SCRATCH/$2.err")"
}
running() {  # pid: runs, not a zombie nobody has reaped yet
    local state
    state=$(ps -o stat= -p "$1") && [[ "$state" != Z* ]]
}
children() {  # pid: its children, read from /proc by the shell itself (pgrep reads every
    # process's command line, which can stall on another process's stalled file system)
    local list=()
    read -r -a list 2>/dev/null <"/proc/$1/task/$1/children" || true
    [ "${#list[@]}" -gt 0 ] && echo "${list[@]}"
}
# Whether window program $1 shows its window: on X11, mapped on its display (its
# platform plugin is loaded before it connects, and a display that goes before
# then leaves it on the offscreen platform); on Wayland, connected.
shows() {
    local display
    display=$(tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | sed -n 's/^DISPLAY=//p')
    if [ -n "$display" ]; then
        [ -n "$(DISPLAY=$display xdotool search --onlyvisible --pid "$1" 2>/dev/null)" ]
    else
        grep -q libQt6WaylandClient "/proc/$1/maps" 2>/dev/null
    fi
}
window_of() {  # name: the window program the launcher runs, once it is on the display
    local child waited=0
    until child=$(children "${!1}") && shows "$child"; do
        kill -0 "${!1}" 2>/dev/null || { echo "$1 ended: $(cat "$SCRATCH/$1.err" 2>/dev/null)" >&2; return 1; }
        [ "$waited" -lt 200 ] || fail "$1 shows no window: $(cat "$SCRATCH/$1.err" 2>/dev/null)"
        sleep 0.1
        waited=$((waited + 1))
    done
    echo "$child"
}

if [ -z "$windowed" ]; then  # the lowest descriptor limit at which a wait runs quietly
    for lowest in $(seq 4 64); do
        status=0
        (ulimit -n "$lowest" && exec "${launch[@]}" "$LINGERJOB" --interval=0.1 --timeout=0.25 \
            /0 "/none-$id") 2>"$SCRATCH/lowfd.err" || status=$?
        [ "$status" -eq 124 ] && [ ! -s "$SCRATCH/lowfd.err" ] && break
    done
fi
started=$(now_ms)
# The tasks are parts of the names beyond the kernel's 15-character short name.
# Mode 1 waits while the probe runs; its task in capitals finds it all the same.
gone_probe=$(make_probe "lingerjob-probe-waits-$id")
start_probe "$gone_probe"
gone_probe_pid=$PROBE_PID
mode1_start=$(now_ms)
watch mode1 "$LINGERJOB" /1 "/Waits-${id^^}"
# The second of two processes starts after the check that found the first.
twice_probe=$(make_probe "lingerjob-probe-twice-$id")
start_probe "$twice_probe"
twice_first=$PROBE_PID
watch twice "$LINGERJOB" /1 "/probe-twice-$id"
# With descriptors a little above the lowest limit a quick check can work with
# (a script's head, read later on, takes a few more), no process end can be
# watched: the beat alone serves, and nothing is said.
if [ -z "$windowed" ]; then
    [ "$lowest" -lt 64 ] || fail "no descriptor limit up to 64 lets a check run"
    lowest=$((lowest + 4))
    start_probe "$(make_probe "lingerjob-probe-lowfd-$id")"
    lowfd_probe=$PROBE_PID
    watch lowfd bash -c 'ulimit -n "$1" && exec "${@:2}"' - "$lowest" "$LINGERJOB" /1 "/lowfd-$id"
fi
# Mode 0 waits while no probe runs.
later_probe=$(make_probe "lingerjob-probe-starts-$id")
watch mode0 "$LINGERJOB" /0 "/starts-$id"
# The program never finds itself, but finds another copy of itself.
cp "$LINGERJOB" "$SCRATCH/copies/lingerjob-alone-$id"
cp "$LINGERJOB" "$SCRATCH/copies/lingerjob-pair-$id"
watch alone "$SCRATCH/copies/lingerjob-alone-$id" /0 "/alone-$id"
watch other "$SCRATCH/copies/lingerjob-pair-$id" /0 "/no-such-task-$id"
watch self "$SCRATCH/copies/lingerjob-pair-$id" /1 "/pair-$id"

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

if [ -n "$windowed" ]; then
    # The display goes: the watch goes on here, on the same schedule and deadline.
    start_display "$display" lost
    lost_server=$SERVER_PID
    start_probe "$(make_probe "lingerjob-probe-lost-$id")"
    lost_probe_pid=$PROBE_PID
    start_probe "$(make_probe "lingerjob-probe-stays-$id")"
    lost_start=$(now_ms)
    # Qt's X11 platform ends the window program by exit() from inside Qt, leaving
    # Qt's own memory to a sanitizer build's leak check.
    lost_on=("${ON_DISPLAY[@]}" "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0")
    spawn "${lost_on[@]}" "$LINGERJOB" /1 "/probe-lost-$id" 2>"$SCRATCH/lost.err"
    lost=$SPAWNED
    # Its deadline lies well past the display's end, which a loaded machine delays,
    # and past the time a window program there takes to see the display gone.
    spawn "${lost_on[@]}" "$LINGERJOB" --timeout=20 /1 "/probe-stays-$id" 2>"$SCRATCH/lost_timeout.err"
    lost_timeout=$SPAWNED
    # Signals to the launcher reach its window program, and end the launcher alike.
    watch term "$LINGERJOB" /1 "/probe-stays-$id"
    watch hup "$LINGERJOB" /1 "/probe-stays-$id"
    watch quit "$LINGERJOB" /1 "/probe-stays-$id"
    watch stopped "$LINGERJOB" /1 "/probe-lost-$id"
    watch stopped_timeout "$LINGERJOB" --timeout=4 /1 "/probe-stays-$id"
    # A background job of sh ignores SIGINT: so must the launcher and its window.
    watch ignoring sh -c '"$0" /1 "$1" & echo $! >"$2"; wait $!' \
        "$LINGERJOB" "/probe-lost-$id" "$SCRATCH/ignoring.pid"
    # The status pipe must not take the number of a closed standard descriptor.
    watch closed "$LINGERJOB" --interval=0.2 /1 "/no-such-task-$id" <&- >&-
    sleep 2
    window_of lost >/dev/null
    window_of lost_timeout >/dev/null
    lost_at=$(now_ms)
    kill "$lost_server"
    wait "$lost_server" 2>/dev/null || true
    echo "lost: the display stopped $((lost_at - lost_start)) ms into the waits"
    wait_for_end "$lost_timeout" 20
    echo "lost_timeout: status $STATUS $((ENDED - lost_start)) ms after its start"
    # The deadline counts from the start, not from the display's end.
    took=$((ENDED - lost_start))
    [ "$STATUS" -eq 124 ] && [ "$took" -ge 20000 ] && [ "$ENDED" -lt $((lost_at + 20000)) ] ||
        fail "lost_timeout: status $STATUS after $took ms, not 124 after 20 s"
    # Stopped while their windows show: a window program, a display.
    start_display "$display" frozen
    frozen_server=$SERVER_PID
    stop_start=$(now_ms)
    spawn "${ON_DISPLAY[@]}" "$LINGERJOB" --timeout=4 /1 "/probe-stays-$id" 2>"$SCRATCH/frozen.err"
    frozen=$SPAWNED
    watch stopped_timeout "$LINGERJOB" --timeout=4 /1 "/probe-stays-$id"
    # On a slow machine these two may reach their deadline before their window shows.
    window_of frozen >/dev/null 2>&1 || true
    stopped_timeout_window=$(window_of stopped_timeout 2>/dev/null) || stopped_timeout_window=
    stopped_window=$(window_of stopped)
    kill -STOP "$stopped_window" "$frozen_server"
    ignoring_launcher=$(cat "$SCRATCH/ignoring.pid")
    window_of ignoring_launcher >/dev/null
    kill -INT "$ignoring_launcher"
    # Stopped a second before its deadline, which the launcher keeps before the
    # silence can count: no line on stderr. (On a slow machine the deadline may
    # have come already, and ended it.)
    left=$((stop_start + 3000 - $(now_ms)))
    [ "$left" -le 0 ] || sleep "$((left / 1000)).$(printf %03d $((left % 1000)))"
    [ -z "$stopped_timeout_window" ] || kill -STOP "$stopped_timeout_window" 2>/dev/null || true
    # The launcher keeps the deadline while its window program or display is
    # stopped (they stay so until the cleanup).
    for name in stopped_timeout frozen; do
        wait_for_end "${!name}" 8
        took=$((ENDED - stop_start))
        echo "$name: status $STATUS, seen $took ms after its start"
        [ "$STATUS" -eq 124 ] && [ "$took" -ge 4000 ] || fail "$name: status $STATUS after $took ms"
    done
    [ ! -s "$SCRATCH/stopped_timeout.err" ] || fail "stopped_timeout wrote: $(cat "$SCRATCH/stopped_timeout.err")"
fi

left=$((started + (tick * 2 + 1) * 1000 - $(now_ms)))
[ "$left" -le 0 ] || sleep "$((left / 1000)).$(printf %03d $((left % 1000)))"
PIDS+=("$(cat "$setup.pid")")
for name in mode1 twice mode0 alone other self setup1 setup0 ${lowfd:+lowfd} \
    ${windowed:+lost term hup quit stopped ignoring}; do
    kill -0 "${!name}" 2>/dev/null || fail "$name ended before its cue: $(cat "$SCRATCH/$name.err")"
done
# A wait maps no window toolkit; with a display its window program does.
grep -q libQt6 "/proc/$mode1/maps" && fail "the waiting launcher loaded Qt"
if [ -n "$windowed" ]; then
    other_window=$(window_of other)
    term_window=$(window_of term)
    quit_window=$(window_of quit)
    for name in lost lost_timeout; do
        [ "$(cat "$SCRATCH/$name.err")" = "lingerjob: the display was lost; going on without a window" ] ||
            fail "$name wrote: $(cat "$SCRATCH/$name.err")"
        children "${!name}" >/dev/null && fail "$name still runs its window program"
    done
    window_of ignoring_launcher >/dev/null
fi

cue=$(now_ms)
start_probe "$twice_probe"
twice_second=$PROBE_PID
PROBE_PID=$gone_probe_pid
stop_probe
PROBE_PID=$twice_first
stop_probe
[ -n "$windowed" ] || { PROBE_PID=$lowfd_probe && stop_probe; }
start_probe "$later_probe"
{ kill -9 "$other" && wait "$other"; } 2>/dev/null || true
kill -9 "$(cat "$setup.pid")"
start_probe "$later_setup"
ends_with 0 mode1 "the probe ended" "$cue"
# Before the check after the cue was due (mode1's ticks came at 3 and 6 s).
[ "$cue" -gt $((mode1_start + tick * 2000 + 1000)) ] ||
    [ "$ENDED" -lt $((mode1_start + tick * 3000)) ] || fail "mode1 ended only at the next tick"
ends_with 0 mode0 "a probe started" "$cue"
ends_with 0 self "the other copy ended" "$cue"
ends_with 0 setup1 "the script's setup ended" "$cue"
ends_with 0 setup0 "another setup started" "$cue"
[ -n "$windowed" ] || ends_with 0 lowfd "the probe ended, descriptors at $lowest" "$cue"
[ -n "$windowed" ] || [ ! -s "$SCRATCH/lowfd.err" ] || fail "lowfd said: $(cat "$SCRATCH/lowfd.err")"
if [ -n "$windowed" ]; then
    running "$other_window" && fail "a killed launcher left its window program"
    cue=$(now_ms)
    # A stopped process ends on SIGTERM at once, but must be continued to dump core.
    kill -STOP "$quit_window"
    kill -TERM "$term"
    kill -HUP "$hup"
    kill -QUIT "$quit"
    ends_with 143 term "SIGTERM" "$cue"
    ends_with 129 hup "SIGHUP" "$cue"
    ends_with 131 quit "SIGQUIT, its window program stopped" "$cue"
    running "$term_window" && fail "SIGTERM left the window program"
    PROBE_PID=$lost_probe_pid
    stop_probe
    cue=$(now_ms)
    ends_with 0 lost "the probe ended, the display lost" "$cue"
    ends_with 0 stopped "the probe ended, the window program stopped" "$cue"
    [ "$(cat "$SCRATCH/stopped.err")" = "lingerjob: the window program stopped answering; going on without a window" ] ||
        fail "stopped wrote: $(cat "$SCRATCH/stopped.err")"
    ends_with 0 ignoring "the probe ended, SIGINT ignored" "$cue"
    ends_with 0 closed "at its first check" "$cue"
    for name in term quit ignoring closed; do
        [ ! -s "$SCRATCH/$name.err" ] || fail "$name wrote: $(cat "$SCRATCH/$name.err")"
    done
fi
sleep 1
kill -0 "$alone" 2>/dev/null || fail "mode 0 on its own name ended: $(cat "$SCRATCH/alone.err")"
echo "alone: still waiting $(($(now_ms) - cue)) ms after the cue"
kill -0 "$twice" 2>/dev/null || fail "twice ended while a second process ran"
cue=$(now_ms)
PROBE_PID=$twice_second
stop_probe
ends_with 0 twice "the second probe ended" "$cue"
echo "wait ($display): ok"
