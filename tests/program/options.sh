#!/usr/bin/env bash
# The options as a script uses them, without a display: --help and --version,
# --timeout, --interval, --verbose, a wrong option; a quiet standard error; the statuses hold
# when standard error is a pipe nobody reads.
source "$(dirname "$0")/lib.sh"
# env execs the program, so $! of a background run is the program itself.
quiet=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR)
now_ms() { date +%s%3N; }

# --help, --version, wrong options: the status, then the text on stdout (stderr
# empty) or the rejection with the raw text on stderr.
while IFS='|' read -r args want pattern; do
    status=0
    # shellcheck disable=SC2086  # the words are the program's arguments
    "${quiet[@]}" "$LINGERJOB" $args >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
    [ "$status" -eq "$want" ] || fail "'$args' ended with $status, not $want"
    if [ "$want" -eq 0 ]; then
        grep -q -- "$pattern" "$SCRATCH/out" && [ ! -s "$SCRATCH/err" ] || fail "'$args' printed wrong"
    else
        grep -qxF -- "$args" "$SCRATCH/err" && grep -qF -- "$pattern" "$SCRATCH/err" &&
            tail -n 1 "$SCRATCH/err" | grep -q "^lingerjob: usage: .*see lingerjob --help$" ||
            fail "'$args': $(cat "$SCRATCH/err")"
    fi
done <<'EOF'
--help|0|--timeout=SECONDS
--version|0|^lingerjob 1.0.0$
/1 /x -V|0|^lingerjob 1.0.0$
--opt /1 /x|2|unknown option --opt (see --help)
/1 /x --timeout=soon|2|bad value in --timeout=soon
--interval=0 /1 /x|2|(see --help)
--exact=1 /1 /x|2|unknown option --exact=1
EOF

# --help or --version that cannot be written (a full disk, a closed standard
# output) ends with 1 and says so, as GNU tools do.
status=0
"${quiet[@]}" "$LINGERJOB" --help >/dev/full 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 1 ] && grep -qx "lingerjob: write error: No space left on device" "$SCRATCH/err" ||
    fail "--help into a full disk: status $status, stderr: $(cat "$SCRATCH/err")"
status=0
"${quiet[@]}" "$LINGERJOB" --version >&- 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 1 ] && grep -qx "lingerjob: write error: Bad file descriptor" "$SCRATCH/err" ||
    fail "--version into a closed stdout: status $status, stderr: $(cat "$SCRATCH/err")"

# Starts a wait in the background ($@: its arguments); WATCHER is the program itself.
watch() {
    "${quiet[@]}" "$LINGERJOB" "$@" 2>"$SCRATCH/err" &
    WATCHER=$!
    PIDS+=("$WATCHER")
}
# Waits for the wait's end; checks its status, stderr empty, and that it ended no
# sooner than $3 ms after $2 and, if $4 is given, before a default check (3 s) would come.
expect_end() {  # status, since, fewest ms[, "before the default check"]
    wait_for_end "$WATCHER" 10
    local took=$(($(now_ms) - $2))
    [ "$STATUS" -eq "$1" ] && [ "$took" -ge "$3" ] && { [ -z "${4:-}" ] || [ "$took" -lt 3000 ]; } ||
        fail "status $STATUS after $took ms, not $1 after $3 ms${4:+ and before 3000 ms}"
    [ ! -s "$SCRATCH/err" ] || fail "the wait wrote to stderr: $(cat "$SCRATCH/err")"
}
probe=$(make_probe "lingerjob-probe-options-$$")
start_probe "$probe"
# --timeout on a task that keeps running: status 124 at the time-out.
started=$(now_ms)
watch --timeout=1.5 /1 "/options-$$"
expect_end 124 "$started" 1500
# A time-out below a millisecond is one; a check due with the deadline runs first.
started=$(now_ms)
watch --timeout=0.0001 /1 "/options-$$"
expect_end 124 "$started" 0 before
started=$(now_ms)
watch --timeout=0.2 --interval=0.2 /1 "/no-such-task-$$"
expect_end 0 "$started" 200
# --interval=0.2 sees the probe's end before a wait on the default interval does.
watch /1 "/options-$$"
default=$WATCHER
watch /1 "/options-$$" --interval=0.2
still_running_after "$WATCHER" 1 || fail "--interval=0.2 ended while the probe ran"
stop_probe
expect_end 0 "$(now_ms)" 0
kill -0 "$default" 2>/dev/null || fail "the wait on the default interval ended first"

# --exact and --full: a wait that must see the probe runs until it is stopped;
# one that must not is over at its first check. The probe is started by its name
# alone: a task ends at its next "/", so no task equals a path.
PATH="$SCRATCH:$PATH" start_probe "lingerjob-probe-options-$$"
for row in "--exact|lingerjob-probe-options-$$|runs" "--exact|options-$$|over" \
    "--full|options-$$ 600|runs" "--full|options-$$ 601|over" \
    "--exact --full|lingerjob-probe-options-$$ 600|runs" \
    "--exact --full|lingerjob-probe-options-$$|over" "--no-window|options-$$|runs"; do
    IFS='|' read -r opts task want <<<"$row"
    # shellcheck disable=SC2086  # the options are words
    watch $opts --interval=0.2 /1 "/$task"
    if [ "$want" = runs ]; then
        still_running_after "$WATCHER" 1 || fail "$opts /1 /$task ended while the probe ran"
        kill "$WATCHER"
        wait "$WATCHER" 2>/dev/null || true
    else  # over while the probe runs on, however slow the checks
        wait_for_end "$WATCHER" 30
        [ "$STATUS" -eq 0 ] && [ ! -s "$SCRATCH/err" ] || fail "$opts /1 /$task: status $STATUS"
    fi
done
stop_probe

# A task that looks like a path: the wait is the same, on stderr one warning.
status=0
"${quiet[@]}" "$LINGERJOB" --interval=0.2 /1 /tmp/x/sleeper 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 0 ] && [ "$(cat "$SCRATCH/err")" = 'lingerjob: the task sought is "tmp"; "x/sleeper" after the next "/" is ignored. Give the program'"'"'s name alone, e.g. /1 /sleeper' ] ||
    fail "a path as task: status $status, stderr: $(cat "$SCRATCH/err")"

# The bash completion: the options, the modes, then the running processes' names.
complete_words() {  # the words on the line, the last one being completed
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _lingerjob
        printf "%s\n" "${COMPREPLY[@]}"' _ "$(dirname "$0")/../../packaging/lingerjob.bash-completion" "$@"
}
start_probe "$probe"
[ "$(complete_words lingerjob --ex)" = --exact ] || fail "completion of --ex: $(complete_words lingerjob --ex)"
[ "$(complete_words lingerjob --verb)" = --verbose ] || fail "completion of --verb"
[ "$(complete_words lingerjob --exact "")" = $'/1\n/0' ] || fail "completion of a mode"
[ "$(complete_words lingerjob /1 /lingerjob-probe-opt)" = "/lingerjob-probe-options-$$" ] ||
    fail "completion of the probe's name: $(complete_words lingerjob /1 /lingerjob-probe-opt)"
[ -z "$(complete_words lingerjob -- /1 --e)" ] || fail "completion of an option after --"
stop_probe

# --verbose names the matching process by its id, and says why the wait ended.
start_probe "$probe"
watch -v /1 "/options-$$" --interval=0.2
said_in "$SCRATCH/err" "^lingerjob: matching: $PROBE_PID " 60 || fail "--verbose named no probe: $(cat "$SCRATCH/err")"
kill -0 "$WATCHER" 2>/dev/null || fail "--verbose ended while the probe ran"
stop_probe
wait_for_end "$WATCHER" 10
[ "$(cat "$SCRATCH/err")" = "lingerjob: matching: $PROBE_PID ${probe##*/}
lingerjob: the wait is over: no matching process runs" ] || fail "--verbose said: $(cat "$SCRATCH/err")"

# Standard error a pipe whose reader has gone: the rejection still ends with 2.
{
    sleep 0.3
    status=0
    "${quiet[@]}" "$LINGERJOB" /x 2>&1 >/dev/null || status=$?
    echo "$status" >"$SCRATCH/status"
} | true
[ "$(cat "$SCRATCH/status")" = 2 ] || fail "with stderr a dead pipe: $(cat "$SCRATCH/status")"

echo "options: ok"
