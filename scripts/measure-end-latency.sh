#!/usr/bin/env bash
# How long a script waits after the awaited program has ended: the time from a
# probe's end to Lingerjob's end, without a display, with the default interval
# and with --interval=0.2. Ten runs each, the probe ended at a different moment of
# the interval every time; prints each run and the medians side by side.
#   bash scripts/measure-end-latency.sh [path of lingerjob, default build/lingerjob]
source "$(dirname "$0")/lib.sh"
die() {
    echo "$*" >&2
    exit 1
}
program=$(readlink -f "${1:-$ROOT/build/lingerjob}")
[ -x "$program" ] || die "no program at $program (build it first)"
runs=10
work=$(mktemp -d)
probe="$work/latency-probe-$$"
cp /bin/sleep "$probe"
trap 'rm -rf "$work"' EXIT

now_ns() { date +%s%N; }
median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }

# One run: start the probe and the wait, end the probe after $2 s; prints milliseconds.
measure() {
    local option=$1 delay=$2 probe_pid watch_pid ended
    "$probe" 600 &
    probe_pid=$!
    # shellcheck disable=SC2086  # no option, or one word
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" $option /1 "/latency-probe-$$" &
    watch_pid=$!
    sleep "$delay"
    kill -9 "$probe_pid"
    ended=$(now_ns)
    wait "$probe_pid" 2>/dev/null || true
    wait "$watch_pid" || die "the wait ended with status $?"
    echo $((($(now_ns) - ended) / 1000000))
}

declare -A results
for option in "" "--interval=0.2"; do
    label=${option:-default (3 s)}
    list=()
    for i in $(seq "$runs"); do
        # Spread the probe's end over the interval: 1.0, 1.33, ... 4.0 s after the start.
        list+=("$(measure "$option" "$(awk -v i="$i" 'BEGIN {printf "%.2f", 0.67 + i / 3}')")")
    done
    results[$label]="${list[*]}"
    printf '%-16s runs (ms): %s\n' "$label" "${list[*]}"
done
printf '\n%-16s %s\n' "interval" "median ms from the probe's end to lingerjob's end"
for label in "default (3 s)" "--interval=0.2"; do
    # shellcheck disable=SC2086
    printf '%-16s %s\n' "$label" "$(printf '%s\n' ${results[$label]} | median)"
done
