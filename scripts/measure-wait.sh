#!/usr/bin/env bash
# What a headless wait costs, measured side by side in one run: resident memory
# and threads of `lingerjob /1 /task` without a display, of procps's `pidwait` on
# the same task, and of the Qt window program on the offscreen platform; whether
# Qt is mapped; and the CPU time from the start to the first tick's schedule, for
# lingerjob headless and for the Qt program offscreen (median of 20 starts each).
# Reports figures and fails only when something cannot be measured. Extra
# arguments are further builds of lingerjob to measure beside the others.
# EXTRA_PROCESSES=30000 measures the memory with that many more processes on the
# machine (forks of bench/idle_processes.cpp), as on a busy server.
source "$(dirname "$0")/lib.sh"
# pkg-config, libbenchmark-dev and libproc2-dev: build-bench is configured with the
# benchmarks on (bench/CMakeLists.txt needs them), as scripts/bench.sh does.
need_packages "${BUILD_PACKAGES[@]}" procps python3 pkg-config libbenchmark-dev libproc2-dev
BUILD="$ROOT/build-bench"
log "building lingerjob and lingerjob-window in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DLINGERJOB_BENCHMARKS=ON -DLINGERJOB_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target lingerjob lingerjob-window idle_processes -j"$(nproc)" >/dev/null
EXTRA_PROCESSES=${EXTRA_PROCESSES:-0}
STARTS=${STARTS:-20}
SETTLE=${SETTLE:-5}  # seconds before memory is read: past the first tick (3 s)

scratch=$(mktemp -d)
pids=()
cleanup() {
    kill -9 "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# A probe under a name of its own, which every waiter below waits on; short
# enough for the kernel's 15-character process name that pidwait -x matches.
task="ljwait-$$"
cp "$(command -v sleep)" "$scratch/$task"
"$scratch/$task" 3600 &
pids+=($!)

# Programs started through env keep their process id: what we measure is theirs.
headless="env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"
offscreen="$headless QT_QPA_PLATFORM=offscreen"

waiters=("lingerjob (headless)" "pidwait -x (procps)" "lingerjob-window (Qt offscreen)")
commands=("$headless $BUILD/lingerjob /1 /$task"
    "pidwait -x $task"
    "$offscreen $BUILD/lingerjob-window /1 /$task")
for extra in "$@"; do
    waiters+=("$extra (headless)")
    commands+=("$headless $extra /1 /$task")
done

idle=
if [ "$EXTRA_PROCESSES" -gt 0 ]; then
    log "starting $EXTRA_PROCESSES extra processes"
    "$BUILD/bench/idle_processes" "$EXTRA_PROCESSES" >"$scratch/idle.out" &
    idle=$!
    pids+=($!)  # its processes die with it
    while ! grep -q ready "$scratch/idle.out"; do sleep 1; done
fi
log "memory of each waiter after ${SETTLE}s, $(ls /proc | grep -c '^[0-9]*$') processes"
started=()
for command in "${commands[@]}"; do
    $command 2>/dev/null &
    started+=($!)
    pids+=($!)
done
sleep "$SETTLE"
printf '\n%-48s %12s %8s %10s\n' "waiter" "RSS (KiB)" threads "Qt libs"
for i in "${!waiters[@]}"; do
    pid=${started[i]}
    [ -r "/proc/$pid/status" ] || { echo "${waiters[i]} ended before it was measured" >&2; exit 1; }
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    threads=$(awk '/^Threads/ { print $2 }' "/proc/$pid/status")
    qt=$(grep -c 'libQt6' "/proc/$pid/maps" || true)
    printf '%-48s %12s %8s %10s\n' "${waiters[i]}" "$rss" "$threads" "$qt"
done
kill -9 "${started[@]}" 2>/dev/null || true
wait "${started[@]}" 2>/dev/null || true
[ -z "$idle" ] || { kill "$idle" && wait "$idle"; } 2>/dev/null || true

# cpu_until.py SECONDS PROGRAM ARGS: the CPU time of a run killed at SECONDS,
# before its first tick, all of which went to starting up and scheduling that
# tick. wait4 reports it to the microsecond.
cat >"$scratch/cpu_until.py" <<'PY'
import os, signal, subprocess, sys, time
seconds, argv = float(sys.argv[1]), sys.argv[2:]
child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(seconds)
if child.poll() is not None:
    sys.exit("%s ended before its first tick" % argv[0])
os.kill(child.pid, signal.SIGKILL)
_, _, usage = os.wait4(child.pid, 0)
print("%.0f" % ((usage.ru_utime + usage.ru_stime) * 1e6))
PY
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

log "CPU time from the start to the first tick's schedule, $STARTS starts each"
: >"$scratch/console" && : >"$scratch/qt"
for ((i = 0; i < STARTS; i++)); do
    # Side by side, so a load that comes and goes falls on both.
    $headless python3 "$scratch/cpu_until.py" 2.5 "$BUILD/lingerjob" /1 "/$task" \
        >>"$scratch/console" &
    $offscreen python3 "$scratch/cpu_until.py" 2.5 "$BUILD/lingerjob-window" /1 "/$task" \
        >>"$scratch/qt"
    wait $!
done
[ "$(wc -l <"$scratch/console")" -eq "$STARTS" ] && [ "$(wc -l <"$scratch/qt")" -eq "$STARTS" ] ||
    { echo "some starts could not be measured" >&2; exit 1; }
console=$(median <"$scratch/console")
qt=$(median <"$scratch/qt")
printf '\n%-48s %12s\n' "start to first tick's schedule" "CPU µs (median)"
printf '%-48s %12s\n' "lingerjob (headless)" "$console" "lingerjob-window (Qt offscreen)" "$qt"
awk -v c="$console" -v q="$qt" 'BEGIN { printf "%-48s %12.3f\n", "ratio headless / Qt offscreen", c / q }'
