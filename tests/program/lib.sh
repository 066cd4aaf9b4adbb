# Helpers for the tests that run the built program as a script would.
# Usage: source lib.sh; the program under test is $LINGERJOB.
set -euo pipefail

: "${LINGERJOB:?set LINGERJOB to the built program}"
SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/lingerjob-program.XXXXXX")"
# Job control: every background job runs in a process group of its own, whose id
# is its first process's. PIDS holds those; the cleanup continues and kills each
# whole group (whatever the job started there too: a wait a script started, the
# launcher's window program), also when the test fails, so nothing is left to
# hold a stall, a display or the test runner's output pipe.
set -m
PIDS=()
cleanup() {
    local pid
    disown -a 2>/dev/null  # no line for each job killed here
    for pid in "${PIDS[@]}"; do
        kill -CONT -- "-$pid" 2>/dev/null || true
        kill -9 -- "-$pid" 2>/dev/null || true
    done
    rm -rf "$SCRATCH"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts a command (not a shell function, whose `&` would fork a subshell in
# between) in the background, in a group of its own; sets SPAWNED to the process
# id of the command itself.
spawn() {
    "$@" &
    SPAWNED=$!
    PIDS+=("$SPAWNED")
}

# Whether the program is built with a sanitizer, whose runtime needs /proc and
# reserves far more memory than the program. (grep reads all, for pipefail.)
sanitized() { ldd "$LINGERJOB" | grep libasan >/dev/null; }

# Runs the program with no display at all, whatever the caller's environment.
HEADLESS=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
headless() { "${HEADLESS[@]}" "$@"; }

# A copy of sleep under a unique name that ends in $1; prints its path.
make_probe() {
    local path="$SCRATCH/$1"
    cp /bin/sleep "$path"
    echo "$path"
}

# Starts the probe at $1; sets PROBE_PID.
start_probe() {
    "$1" 600 &
    PROBE_PID=$!
    PIDS+=("$PROBE_PID")
    # Returns once its exec is done (argv[0] in place), so that a check made at
    # once sees it by its name, not as the shell it was forked from.
    local arg0 tries=0
    while [ "$tries" -lt 200 ]; do
        arg0=
        IFS= read -r -d '' arg0 <"/proc/$PROBE_PID/cmdline" 2>/dev/null || true
        [ "$arg0" = "$1" ] && return 0
        sleep 0.05
        tries=$((tries + 1))
    done
    fail "the probe $1 did not start"
}

stop_probe() {
    kill -9 "$PROBE_PID"
    wait "$PROBE_PID" 2>/dev/null || true
}

# Whether process $1 still runs after $2 seconds.
still_running_after() {
    sleep "$2"
    kill -0 "$1" 2>/dev/null
}

# Waits up to $3 seconds for a line of file $1 to match the pattern $2: an event
# the program says, awaited in its order rather than by a time it should take.
said_in() {
    local waited=0
    until grep -q -- "$2" "$1" 2>/dev/null; do
        [ "$waited" -lt $(($3 * 10)) ] || return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

# Milliseconds since some fixed time.
now_ms() { date +%s%3N; }

# Waits up to $2 seconds for background job $1 to end; sets STATUS to its exit
# status and ENDED to the time it was seen ended (now_ms).
wait_for_end() {
    local pid=$1 limit=$2 waited=0
    while kill -0 "$pid" 2>/dev/null; do
        [ "$waited" -ge $((limit * 10)) ] &&
            fail "process $pid still running after ${limit}s: $(ps -o pid=,stat=,wchan=,args= --pid "$pid" --ppid "$pid")"
        sleep 0.1
        waited=$((waited + 1))
    done
    ENDED=$(now_ms)
    STATUS=0
    wait "$pid" || STATUS=$?
}

# Starts a display server of its own, of kind $1 (xvfb, or weston: headless, in a
# private runtime folder), named $2; sets SERVER_PID and ON_DISPLAY, the command
# words that run a program on that display and no other.
start_display() {
    local kind=$1 name=$2 ready waited=0
    if [ "$kind" = xvfb ]; then
        # -noreset: a server that resets when its last client leaves refuses the
        # connections made meanwhile, as a window starting while xdotool polls.
        Xvfb -displayfd 3 -nolisten tcp -noreset 3>"$SCRATCH/display-$name" >/dev/null 2>&1 &
        ready=(-s "$SCRATCH/display-$name")
    else
        mkdir -m 700 "$SCRATCH/runtime-$name"
        XDG_RUNTIME_DIR="$SCRATCH/runtime-$name" \
            weston --backend=headless-backend.so --socket="wl-$name" >/dev/null 2>&1 &
        ready=(-S "$SCRATCH/runtime-$name/wl-$name")
    fi
    SERVER_PID=$!
    PIDS+=("$SERVER_PID")
    until [ "${ready[@]}" ]; do
        [ "$waited" -lt 100 ] || fail "$kind did not start"
        sleep 0.1
        waited=$((waited + 1))
    done
    if [ "$kind" = xvfb ]; then
        ON_DISPLAY=(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "DISPLAY=:$(cat "$SCRATCH/display-$name")")
    else
        ON_DISPLAY=(env -u DISPLAY -u QT_QPA_PLATFORM "XDG_RUNTIME_DIR=$SCRATCH/runtime-$name"
                    "WAYLAND_DISPLAY=wl-$name")
    fi
}

# Runs the rest of the test, xdotool and xclip too, on an Xvfb of its own, named $1.
use_own_xvfb() {
    start_display xvfb "$1"
    DISPLAY=":$(cat "$SCRATCH/display-$1")"
    export DISPLAY
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}
