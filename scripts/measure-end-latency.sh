#!/usr/bin/env bash
# How long a script waits after the awaited program has ended, and what a wait
# costs, side by side in one run:
# - the lag from a probe's end to each waiter's end, for lingerjob at the default
#   interval, lingerjob --interval=0.1 and pidwait -x, all waiting on the same
#   probe; RUNS ends (10 by default), each at a random point of the beat after
#   the first check;
# - the same under wine for lingerjob.com and Lingerjob.exe, when a Windows build
#   folder with its test programs is given (scripts/build-windows.sh --tests);
#   Lingerjob.exe needs a display: without one the script runs itself under
#   xvfb-run;
# - the CPU time of a CPU_SECONDS (60 by default) wait on a running probe,
#   lingerjob (both intervals) against pidwait.
# Prints each run, then the medians (min-max) and the CPU times.
#   bash scripts/measure-end-latency.sh [lingerjob, default build/lingerjob] [Windows build folder]
# (LJPROBE: the test probe ljprobe.exe, when the Windows build folder has none;
# RUNS, CPU_SECONDS: see above.)
source "$(dirname "$0")/lib.sh"
die() {
    echo "$*" >&2
    exit 1
}
program=$(readlink -f "${1:-$ROOT/build/lingerjob}")
windows=${2:+$(readlink -f "$2")}
[ -x "$program" ] || die "no program at $program (build it first)"
command -v pidwait >/dev/null || die "no pidwait (Debian: procps)"
if [ -n "$windows" ] && [ -z "${DISPLAY:-}" ] && [ -z "${MEASURE_UNDER_XVFB:-}" ]; then
    MEASURE_UNDER_XVFB=1 exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$0" "$@"
fi
runs=${RUNS:-10}
cpu_seconds=${CPU_SECONDS:-60}
work=$(mktemp -d)
name="latprobe-$$"  # within the 15 characters pidwait -x compares
probe="$work/$name"
cp /bin/sleep "$probe"
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

now_us() { echo "${EPOCHREALTIME/./}"; }  # no process started to read the clock
# Median and range of the numbers on standard input.
summary() {
    sort -g | awk '{a[NR] = $1} END {
        m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
        printf "%s (%s-%s)", m, a[1], a[NR]}'
}
# Runs a command in the background, writing the moment it ended to a file.
timed() {  # file, command...
    local file=$1
    shift
    ("$@" >/dev/null 2>&1 || true; now_us >"$file") &  # pidwait ends with 1
    timed_pids+=($!)
}
# Waits for every timed command (and ends the probe when given).
wait_timed() {  # [probe pid]
    if [ -n "${1:-}" ]; then
        kill -9 "$1"
        wait "$1" 2>/dev/null || true  # killed: status 137
    fi
    for pid in "${timed_pids[@]}"; do wait "$pid" || true; done
    timed_pids=()
}
ms_between() { awk -v a="$1" -v b="$(cat "$2")" 'BEGIN {printf "%.1f", (b - a) / 1000}'; }
random_delay() {  # the first check comes at 3 s: a moment of the next beat, 3.1-5.9 s
    awk -v r="$RANDOM" 'BEGIN {printf "%.3f", 3.1 + (r % 2800) / 1000}'
}

declare -A lags
linux_run() {
    local probe_pid ended
    "$probe" 600 &
    probe_pid=$!
    running "$probe_pid"
    rm -f "$work"/end.*
    timed "$work/end.default" "${headless[@]}" "$program" /1 "/$name"
    timed "$work/end.fast" "${headless[@]}" "$program" --interval=0.1 /1 "/$name"
    timed "$work/end.pidwait" pidwait -x "$name"
    sleep "$(random_delay)"
    ended=$(now_us)
    wait_timed "$probe_pid"
    for waiter in default fast pidwait; do
        lags[$waiter]+="$(ms_between "$ended" "$work/end.$waiter") "
    done
}

wine_run() {
    local ms=$((4000 + RANDOM % 2800))
    rm -f "$work"/end.*
    timed "$work/end.probe" wine "$work/latprobe.exe" "$ms"
    sleep 0.5  # the probe runs before the waits' first checks
    timed "$work/end.com" wine "$work/lingerjob.com" /1 /latprobe.exe
    timed "$work/end.exe" wine "$work/Lingerjob.exe" /1 /latprobe.exe
    wait_timed
    for waiter in com exe; do
        lags[$waiter]+="$(ms_between "$(cat "$work/end.probe")" "$work/end.$waiter") "
    done
}

running() {  # pid: once the probe runs under its name (its exec done)
    until [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "$name" ]; do sleep 0.01; done
}
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }

echo "lag after the probe's end, $runs ends, $(ls /proc | grep -c '^[0-9]') processes running"
for _ in $(seq "$runs"); do linux_run; done
if [ -n "$windows" ]; then
    for file in lingerjob.com Lingerjob.exe; do cp "$windows/$file" "$work/"; done
    cp "${LJPROBE:-$windows/app/win32/tests/ljprobe.exe}" "$work/latprobe.exe" ||
        die "no ljprobe.exe: build with scripts/build-windows.sh --tests, or give LJPROBE"
    source "$ROOT/tests/win32/wine-env.sh"
    prepare_wine_prefix
    wineserver -p  # one server for all runs, as on a machine with programs running
    for _ in $(seq "$runs"); do wine_run; done
    wineserver -k
fi
declare -A labels=([default]="lingerjob (3 s)" [fast]="lingerjob --interval=0.1"
    [pidwait]="pidwait -x" [com]="lingerjob.com (wine)" [exe]="Lingerjob.exe (wine)")
for waiter in default fast pidwait ${windows:+com exe}; do
    # shellcheck disable=SC2086
    printf '%-26s median %s ms; runs: %s\n' "${labels[$waiter]}" \
        "$(printf '%s\n' ${lags[$waiter]} | summary)" "${lags[$waiter]}"
done

echo "CPU of a ${cpu_seconds} s wait on a running probe"
"$probe" 600 &
probe_pid=$!
running "$probe_pid"
declare -A pids
"${headless[@]}" "$program" /1 "/$name" &
pids[default]=$!
"${headless[@]}" "$program" --interval=0.1 /1 "/$name" &
pids[fast]=$!
pidwait -x "$name" &
pids[pidwait]=$!
sleep "$cpu_seconds"
for waiter in default fast pidwait; do
    printf '%-26s %s ms\n' "${labels[$waiter]}" "$(cpu_ms "${pids[$waiter]}")"
done
{ kill -9 "$probe_pid" && wait; } 2>/dev/null
