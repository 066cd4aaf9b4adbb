#!/usr/bin/env bash
# Bad arguments on a machine without a display: the rejection on standard error, status 2;
# an empty argument also with a display (Xvfb).
source "$(dirname "$0")/lib.sh"

check_rejected() {
    local status=0
    headless "$LINGERJOB" "$@" >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
    [ "$status" -eq 2 ] || fail "'$*' ended with $status, not 2"
    grep -qx "your arguments are not right" "$SCRATCH/err" || fail "'$*': no rejection text"
    grep -qxF -- "$*" "$SCRATCH/err" || fail "'$*': raw text not on its own line"
}
if [ -z "${LINGERJOB_IN_XVFB:-}" ]; then
    check_rejected calc.exe
    check_rejected /1 calc.exe
    check_rejected /x /calc.exe
    check_rejected /99999 /calc.exe
    check_rejected -platform offscreen   # Qt's own options are ours, and wrong here
    check_rejected " "  # spaces only are not "no arguments"
    check_rejected ""   # nor is an empty argument (lingerjob "$EMPTY")

    # With a display the same start shows the rejection box, not the window: OK ends it with 2.
    LINGERJOB_IN_XVFB=1 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM xvfb-run -a bash "$0" ||
        fail "with a display"
    echo "rejection: ok"
    exit 0
fi
"$LINGERJOB" "" 2>/dev/null &
app=$!
PIDS+=("$app")
box=""
for _ in $(seq 50); do
    box=$(xdotool search --onlyvisible --name '^Lingerjob$' 2>/dev/null | head -1) && [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no box appeared"
xdotool windowfocus --sync "$box" key Return
wait_for_end "$app" 3
[ "$STATUS" -eq 2 ] || fail "lingerjob \"\" with a display ended with $STATUS"

echo "rejection with a display: ok"
