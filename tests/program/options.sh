#!/usr/bin/env bash
# The options as a script uses them, without a display: --help and --version,
# --timeout, --interval, a wrong option; a quiet standard error; the statuses hold
# when standard error is a pipe nobody reads.
source "$(dirname "$0")/lib.sh"
# env execs the program, so $! of a background run is the program itself.
quiet=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR)
now_ms() { date +%s%3N; }

for help in --help -h; do
    status=0
    "${quiet[@]}" "$LINGERJOB" "$help" >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
    [ "$status" -eq 0 ] || fail "$help ended with $status"
    grep -q "^Usage: lingerjob .*/MODE /TASK" "$SCRATCH/out" || fail "$help: no synopsis"
    grep -q -- "--timeout=SECONDS" "$SCRATCH/out" || fail "$help: --timeout not described"
    [ ! -s "$SCRATCH/err" ] || fail "$help wrote to stderr: $(cat "$SCRATCH/err")"
done
for version in --version "/1 /x -V"; do
    status=0
    # shellcheck disable=SC2086  # the words are the program's arguments
    out=$("${quiet[@]}" "$LINGERJOB" $version 2>"$SCRATCH/err") || status=$?
    [ "$status" -eq 0 ] && [ "$out" = "lingerjob 1.0.0" ] || fail "$version: $status, '$out'"
    [ ! -s "$SCRATCH/err" ] || fail "$version wrote to stderr: $(cat "$SCRATCH/err")"
done

for wrong in "--opt /1 /x" "/1 /x --timeout=soon" "--interval=0 /1 /x"; do
    status=0
    # shellcheck disable=SC2086
    "${quiet[@]}" "$LINGERJOB" $wrong >/dev/null 2>"$SCRATCH/err" || status=$?
    [ "$status" -eq 2 ] || fail "'$wrong' ended with $status, not 2"
    grep -qxF -- "$wrong" "$SCRATCH/err" || fail "'$wrong': raw text not shown"
    grep -q -- "--help" "$SCRATCH/err" || fail "'$wrong': no pointer to --help"
done

# --timeout on a task that keeps running: status 124 at the time-out, stderr empty.
probe=$(make_probe "lingerjob-probe-options-$$")
task="options-$$"
start_probe "$probe"
started=$(now_ms)
"${quiet[@]}" "$LINGERJOB" --timeout=1.5 /1 "/$task" 2>"$SCRATCH/err" &
watcher=$!
PIDS+=("$watcher")
wait_for_end "$watcher" 10
took=$(($(now_ms) - started))
[ "$STATUS" -eq 124 ] || fail "--timeout=1.5 ended with $STATUS"
[ "$took" -ge 1000 ] && [ "$took" -le 2500 ] || fail "--timeout=1.5 ended after $took ms"
[ ! -s "$SCRATCH/err" ] || fail "the wait wrote to stderr: $(cat "$SCRATCH/err")"

# --interval=0.2 sees the probe's end well within a second.
"${quiet[@]}" "$LINGERJOB" /1 "/$task" --interval=0.2 2>"$SCRATCH/err" &
watcher=$!
PIDS+=("$watcher")
still_running_after "$watcher" 1 || fail "--interval=0.2 ended while the probe ran"
stop_probe
stopped=$(now_ms)
wait_for_end "$watcher" 5
took=$(($(now_ms) - stopped))
[ "$STATUS" -eq 0 ] || fail "--interval=0.2 ended with $STATUS"
[ "$took" -lt 1000 ] || fail "--interval=0.2 saw the probe's end after $took ms"
[ ! -s "$SCRATCH/err" ] || fail "the wait wrote to stderr: $(cat "$SCRATCH/err")"

# Standard error a pipe whose reader has gone: the rejection still ends with 2.
{
    sleep 0.3
    status=0
    "${quiet[@]}" "$LINGERJOB" /x 2>&1 >/dev/null || status=$?
    echo "$status" >"$SCRATCH/status"
} | true
[ "$(cat "$SCRATCH/status")" = 2 ] || fail "with stderr a dead pipe: $(cat "$SCRATCH/status")"

echo "options: ok"
