#!/usr/bin/env bash
# What a check costs, measured on whole commands as a user runs them, at 2,000,
# 10,000 and 30,000 extra processes (BENCH_SIZES to choose others), as root and
# as nobody (who reads other users' processes as any unprivileged account does):
#  - a check of a running `lingerjob /1 /task` at its real beat (3 s), when 0 %,
#    20 % or 50 % of the processes have run since the check before: the CPU time
#    the wait takes over three checks after its first, over three;
#  - at 0 %, the same over a minute, where every name is read again at its age;
#  - a wait's first check, `lingerjob /0 /task` (over at its first check),
#    against `pgrep -x` and `pidwait -x` of a task that is not running, all three
#    whole commands from start to end (median of 3).
# The extra processes are forks of one program (bench/idle_processes.cpp) that it
# wakes, a different part each beat, in the share asked for. Reports figures; fails
# only when something cannot be measured. Run it on an otherwise idle machine.
source "$(dirname "$0")/lib.sh"

need_packages "${BUILD_PACKAGES[@]}" procps python3 pkg-config libbenchmark-dev libproc2-dev
BUILD="$ROOT/build-bench"
log "building lingerjob and idle_processes in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DLINGERJOB_BENCHMARKS=ON -DLINGERJOB_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target lingerjob idle_processes -j"$(nproc)" >/dev/null
read -r -a SIZES <<<"${BENCH_SIZES:-2000 10000 30000}"
AGE_SIZE=${BENCH_AGE_SIZE:-${SIZES[1]:-${SIZES[0]}}}  # where the minute-long row is measured
SHARES=(0 20 50)

scratch=$(mktemp -d)
chmod 755 "$scratch"  # nobody runs the program from here
pids=()
idle=
stop_idle() {
    [ -z "$idle" ] && return 0
    kill "$idle" 2>/dev/null || true  # it ends its processes, which also die with it
    wait "$idle" 2>/dev/null || true
    idle=
}
cleanup() {
    stop_idle
    kill -9 "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

install -m 755 "$BUILD/lingerjob" "$scratch/lingerjob"
task=ljbench-$$  # within the 15 characters pidwait -x and pgrep -x match
cp "$(command -v sleep)" "$scratch/$task"
"$scratch/$task" 36000 &
pids+=($!)
echo 0 >"$scratch/share"
chmod 644 "$scratch/share"

start_idle() {
    log "starting $1 extra processes"
    "$BUILD/bench/idle_processes" "$1" "$scratch/share" 3000 >"$scratch/idle.out" &
    idle=$!
    while ! grep -q ready "$scratch/idle.out"; do
        kill -0 "$idle" 2>/dev/null || { echo "idle_processes ended" >&2; exit 1; }
        sleep 1
    done
    cat "$scratch/idle.out"
}

# The CPU time (µs) a command took from its start to its end.
cpu_of() {
    env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/python3 -c '
import os, subprocess, sys
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
_, _, usage = os.wait4(child.pid, 0)
print(round((usage.ru_utime + usage.ru_stime) * 1e6))' "$@"
}
median3() {
    local runs=() i
    for i in 1 2 3; do runs+=("$(cpu_of "$@")"); done
    printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p
}
# µs per check at the beat: the CPU time a running wait takes over its next $1
# checks after the first (its schedstat counts it in ns), over $1.
per_check() {
    local later=$1 wait before after
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY "$@" "$scratch/lingerjob" /1 "/$task" &
    wait=$!
    sleep 4.5  # past the first check, at 3 s
    read -r before _ <"/proc/$wait/schedstat"
    sleep $((3 * later))
    read -r after _ <"/proc/$wait/schedstat"
    kill "$wait" && wait "$wait" 2>/dev/null || true
    echo $(((after - before) / later / 1000))
}

declare -A CELL
accounts=(root nobody)
run_as() { if [ "$1" = nobody ]; then echo "setpriv --reuid=nobody --regid=nogroup --clear-groups"; fi; }
for size in "${SIZES[@]}"; do
    start_idle "$size"
    total=$(ls /proc | grep -c '^[0-9]*$')
    CELL[processes, $size]=$total
    for account in "${accounts[@]}"; do
        # shellcheck disable=SC2207 # words wanted
        as=($(run_as "$account"))
        for share in "${SHARES[@]}"; do
            echo "$share" >"$scratch/share"
            sleep 3  # one beat at this share before the wait starts
            CELL["check, $share % ran ($account)", $size]=$(per_check 3 "${as[@]}")
            log "+$size, $account, $share %: ${CELL["check, $share % ran ($account)", $size]} µs"
        done
        echo 0 >"$scratch/share"
        if [ "$size" = "$AGE_SIZE" ] && [ "$account" = root ]; then
            log "+$size: a minute of checks at 0 %"
            CELL["check, 0 %, over 63 s: names read again at their age ($account)", $size]=$(
                per_check 20 "${as[@]}")
        fi
        CELL["lingerjob /0 /task, whole ($account)", $size]=$(median3 "${as[@]}" \
            "$scratch/lingerjob" /0 "/$task")
        CELL["pgrep -x, whole ($account)", $size]=$(median3 "${as[@]}" pgrep -x "no-such-$$")
        CELL["pidwait -x, whole ($account)", $size]=$(median3 "${as[@]}" pidwait -x "no-such-$$")
    done
    stop_idle
done

log "summary: CPU µs"
header="| CPU µs |" rule="|---|"
for size in "${SIZES[@]}"; do
    header+=" +$size (${CELL[processes, $size]} processes) |"
    rule+="---|"
done
printf '\n%s\n%s\n' "$header" "$rule"
for account in "${accounts[@]}"; do
    for row in "check, 0 % ran" "check, 20 % ran" "check, 50 % ran" \
        "check, 0 %, over 63 s: names read again at their age" "lingerjob /0 /task, whole" \
        "pgrep -x, whole" "pidwait -x, whole"; do
        key="$row ($account)"
        [ -n "${CELL["$key", ${SIZES[0]}]:-}${CELL["$key", $AGE_SIZE]:-}" ] || continue
        line="| $key |"
        for size in "${SIZES[@]}"; do line+=" ${CELL["$key", $size]:-} |"; done
        echo "$line"
    done
done
