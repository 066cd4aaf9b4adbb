#!/usr/bin/env bash
# Under Xvfb: "Make command line" puts the line on the desktop's clipboard, where
# another program reads it while Lingerjob runs; a window started with --exact
# and --full puts them into the line. --no-window shows no window on a display.
source "$(dirname "$0")/lib.sh"
use_own_xvfb main
program="$(dirname "$(readlink -f "$LINGERJOB")")/$(basename "$LINGERJOB")"
for options in "" "--full --exact"; do
    # shellcheck disable=SC2086  # the options are words
    "$LINGERJOB" $options 2>"$SCRATCH/err" &
    app=$!
    PIDS+=("$app")
    # As long as the program runs: a loaded machine starts a window slowly (a
    # minute is the safety net, not a bound).
    window=""
    for _ in $(seq 300); do
        window=$(xdotool search --onlyvisible --name '^Lingerjob$' 2>/dev/null | head -1) && [ -n "$window" ] && break
        kill -0 "$app" 2>/dev/null || fail "the program ended without a window: $(cat "$SCRATCH/err")"
        sleep 0.2
    done
    [ -n "$window" ] || fail "no window appeared in a minute"
    # Command5 stands at 60,4800 twips (4,320 pixels) and is 97x33 pixels.
    xdotool mousemove --window "$window" 50 336 click 1
    expected="$program${options:+ --exact --full} /1 / "
    got=""
    for _ in $(seq 300); do
        got=$(xclip -o -selection clipboard 2>/dev/null || true)
        [ "$got" = "$expected" ] && break
        kill -0 "$app" 2>/dev/null || break
        sleep 0.2
    done
    [ "$got" = "$expected" ] || fail "clipboard holds '$got', expected '$expected'"
    kill -0 "$app" || fail "the program ended"
    kill "$app"
    wait "$app" 2>/dev/null || true
    for _ in $(seq 50); do
        [ -z "$(xdotool search --name '^Lingerjob$' 2>/dev/null)" ] && break
        sleep 0.1
    done
done

# --no-window: a wait runs headless, and the window alone is refused as without a display.
"$LINGERJOB" --no-window --interval=0.2 /1 "/no-such-task-$$" 2>"$SCRATCH/err" || fail "the wait failed"
[ ! -s "$SCRATCH/err" ] || fail "the wait wrote: $(cat "$SCRATCH/err")"
"$LINGERJOB" --no-window --interval=0.2 /0 "/no-such-task-$$" 2>"$SCRATCH/err" &
app=$!
PIDS+=("$app")
sleep 1
[ -z "$(xdotool search --name '^Lingerjob$' 2>/dev/null)" ] || fail "--no-window showed a window"
[ -z "$(pgrep -P "$app")" ] || fail "--no-window started the window program"
kill "$app"
status=0
"$LINGERJOB" --no-window 2>"$SCRATCH/err" || status=$?
[ "$status" -eq 1 ] && grep -q "^lingerjob: no display" "$SCRATCH/err" ||
    fail "--no-window alone: status $status, stderr: $(cat "$SCRATCH/err")"
echo "clipboard: ok"
