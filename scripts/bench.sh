#!/usr/bin/env bash
# Builds and runs the benchmarks (bench/) at this machine's own process count, then
# with 2,000 and with 5,000 extra idle processes, and prints the ratios the
# snapshot and the tick are meant to keep. At each process count the same
# snapshot is also measured as nobody (setpriv), who reads other users'
# processes as any unprivileged account does. The repetitions of the benchmarks run
# in random order, so a load that comes and goes on a shared machine spreads over
# all of them instead of skewing one. It reports figures and fails only when a
# benchmark cannot run. Extra arguments go to the benchmark program, e.g.
# --benchmark_min_time=0.05 for a quicker, noisier run.
source "$(dirname "$0")/lib.sh"

need_packages "${BUILD_PACKAGES[@]}" pkg-config libbenchmark-dev libproc2-dev
BUILD="$ROOT/build-bench"
log "building the benchmarks in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DLINGERJOB_BENCHMARKS=ON -DLINGERJOB_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target lingerjob_bench -j"$(nproc)"
BENCH="$BUILD/bench/lingerjob_bench"
OUT="$BUILD/bench-results"
mkdir -p "$OUT"

# The idle processes this script started; stopped by their ids on every way out.
idle_pids=()
stop_idle() {
    [ ${#idle_pids[@]} -eq 0 ] && return 0
    log "stopping ${#idle_pids[@]} idle processes"
    kill "${idle_pids[@]}" 2>/dev/null || true
    wait "${idle_pids[@]}" 2>/dev/null || true
    idle_pids=()
}
trap stop_idle EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_idle() {
    local count=$1 i
    log "starting $count idle processes"
    for ((i = 0; i < count; i++)); do
        sleep 3600 &
        idle_pids+=($!)
    done
    # Each one is running sleep, not a shell still on its way to it, before we measure.
    local last=${idle_pids[${#idle_pids[@]} - 1]}
    for ((i = 0; i < 100; i++)); do
        [ "$(readlink "/proc/$last/exe" 2>/dev/null)" = "$(command -v sleep)" ] && break
        sleep 0.1
    done
    sleep 1
}

# The median (real and CPU time, µs) of one benchmark from a CSV report.
median() {
    awk -F, -v want="\"$2_median\"" '$1 == want { printf "%s %s\n", $3, $4; found = 1 }
        END { if (!found) exit 1 }' "$1"
}

# Prints one run's medians and ratios, and keeps the CPU-time medians for the
# table of all runs (TABLE_<label>_<benchmark>).
summarise() {
    local csv=$1 label=$2 name
    declare -A real cpu
    for name in BM_Snapshot BM_FirstSnapshot BM_LowerCaseNames \
        BM_CommFloor BM_Libproc2 BM_QtListRefresh BM_QtTick BM_QtTickWithEvents BM_ConsoleTick; do
        read -r "real[$name]" "cpu[$name]" < <(median "$csv" "$name") ||
            { echo "no median for $name in $csv" >&2; return 1; }
    done
    read -r "real[BM_SnapshotNobody]" "cpu[BM_SnapshotNobody]" < <(median "$csv.nobody" BM_Snapshot) ||
        { echo "no median for BM_Snapshot as nobody in $csv.nobody" >&2; return 1; }
    for name in "${!cpu[@]}"; do declare -g "TABLE_${label}_${name}=${cpu[$name]}"; done
    local processes
    processes=$(awk -F, '$1 == "\"BM_Snapshot_median\"" { print $NF }' "$csv")
    declare -g "TABLE_${label}_processes=$processes"
    printf '\n%s: about %.0f processes (medians of 5 repetitions, µs, real / CPU)\n' \
        "$label" "$processes"
    for name in "${!real[@]}"; do
        printf '  %-28s %10.1f %10.1f\n' "$name" "${real[$name]}" "${cpu[$name]}"
    done | sort
    ratio() {  # label numerator denominator target
        awk -v l="$1" -v rn="${real[$2]}" -v rd="${real[$3]}" -v cn="${cpu[$2]}" \
            -v cd="${cpu[$3]}" -v t="$4" 'BEGIN {
                printf "  %-44s %5.2f (real %5.2f)  target <= %s: %s\n", l, cn / cd, rn / rd, t,
                    (cn / cd <= t ? "met" : "missed") }'
    }
    echo "  ratios of CPU-time medians (real-time ratio in brackets):"
    ratio "our snapshot / libproc2" BM_Snapshot BM_Libproc2 0.35
    ratio "our snapshot / comm-only floor" BM_Snapshot BM_CommFloor 1.1
    ratio "our snapshot as nobody / as root" BM_SnapshotNobody BM_Snapshot 1.5
    ratio "whole tick / our snapshot" BM_QtTick BM_Snapshot 1.3
    # What a tick costs the headless program against what it costs the Qt one,
    # which also lays out and paints the refilled list.
    ratio "console tick / Qt tick with its events" BM_ConsoleTick BM_QtTickWithEvents 1.0
}

run_bench() {
    local label=$1 csv="$OUT/$1.csv"
    shift
    log "benchmark: $label ($(find /proc -maxdepth 1 -name '[0-9]*' | wc -l) processes)"
    "$BENCH" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
        --benchmark_report_aggregates_only=true \
        --benchmark_out="$csv" --benchmark_out_format=csv "$@"
    log "benchmark: $label, the snapshot as nobody"
    # nobody may not write here: the CSV goes to a file of nobody's own first.
    local theirs
    theirs=$(mktemp)
    chown nobody "$theirs"
    "${AS_NOBODY[@]}" "$BENCH" --benchmark_filter='^BM_Snapshot$' --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_out="$theirs" \
        --benchmark_out_format=csv "$@" >/dev/null 2>&1
    mv "$theirs" "$csv.nobody"
    summaries+=("$csv" "$label")
}

# The CPU-time medians of every run side by side, with the ratios and targets.
print_table() {
    local labels=(own plus2000 plus5000) label row
    cell() { local name="TABLE_$1_$2"; printf '%s' "${!name:-}"; }
    printf '\n| CPU µs, median of 5 | %s | %s | %s |\n|---|---|---|---|\n' \
        "$(printf 'own (%.0f processes)' "$(cell own processes)")" \
        "$(printf '+2,000 (%.0f)' "$(cell plus2000 processes)")" \
        "$(printf '+5,000 (%.0f)' "$(cell plus5000 processes)")"
    for row in "our snapshot:BM_Snapshot" "our snapshot as nobody:BM_SnapshotNobody" \
        "a wait's first snapshot:BM_FirstSnapshot" "comm-only floor:BM_CommFloor" \
        "libproc2:BM_Libproc2" "console tick:BM_ConsoleTick" "Qt tick:BM_QtTick"; do
        printf '| %s |' "${row%%:*}"
        for label in "${labels[@]}"; do printf ' %.0f |' "$(cell "$label" "${row#*:}")"; done
        echo
    done
    for row in "snapshot / libproc2 (target <= 0.35):BM_Snapshot:BM_Libproc2" \
        "snapshot / floor (target <= 1.1):BM_Snapshot:BM_CommFloor" \
        "nobody / root (target <= 1.5):BM_SnapshotNobody:BM_Snapshot"; do
        local what=${row%%:*} pair=${row#*:}
        printf '| %s |' "$what"
        for label in "${labels[@]}"; do
            awk -v n="$(cell "$label" "${pair%%:*}")" -v d="$(cell "$label" "${pair#*:}")" \
                'BEGIN { printf " %.2f |", n / d }'
        done
        echo
    done
}

AS_NOBODY=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

summaries=()
run_bench own "$@"
start_idle 2000
run_bench plus2000 "$@"
start_idle 3000
run_bench plus5000 "$@"
stop_idle

log "summary"
for ((s = 0; s < ${#summaries[@]}; s += 2)); do
    summarise "${summaries[s]}" "${summaries[s + 1]}"
done
print_table
