#!/usr/bin/env bash
# Under Xvfb: "Make command line" puts the line on the desktop's clipboard, where
# another program reads it while Lingerjob runs.
source "$(dirname "$0")/lib.sh"
if [ -z "${LINGERJOB_IN_XVFB:-}" ]; then
    LINGERJOB_IN_XVFB=1 exec env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM xvfb-run -a bash "$0"
fi
"$LINGERJOB" 2>"$SCRATCH/err" &
app=$!
PIDS+=("$app")
window=""
for _ in $(seq 50); do
    window=$(xdotool search --name '^Lingerjob$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || fail "no window appeared"
# Command5 stands at 60,4800 twips (4,320 pixels) and is 97x33 pixels.
xdotool mousemove --window "$window" 50 336 click 1
expected="$(dirname "$(readlink -f "$LINGERJOB")")/$(basename "$LINGERJOB") /1 / "
got=""
for _ in $(seq 30); do
    got=$(xclip -o -selection clipboard 2>/dev/null || true)
    [ -n "$got" ] && break
    sleep 0.2
done
[ "$got" = "$expected" ] || fail "clipboard holds '$got', expected '$expected'"
kill -0 "$app" || fail "the program ended"
echo "clipboard: ok"
