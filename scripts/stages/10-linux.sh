#!/usr/bin/env bash
# The Linux build and its tests: unit, window (offscreen and Xvfb), whole-program
# and stress (soak, churn, odd names, an unreadable /proc).
source "$(dirname "$0")/../lib.sh"
# qt6-wayland and weston: the window program on a Wayland display, which must
# fall back quietly from one that has gone, and the wait that goes on when its
# compositor stops. python3: scripts started through "#!/usr/bin/env python3".
# fuse3, python3-fusepy: a FUSE file system that stops answering on demand.
need_packages "${BUILD_PACKAGES[@]}" libgtest-dev xvfb xauth xclip xdotool qt6-wayland weston python3 fuse3 python3-fusepy
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" -j"$(nproc)"
require_tests "$ROOT/build"
cd "$ROOT/build"
# Should a test crash, the probes and watches it started are left in the process
# group started here, which is ended at the close.
status=0
setsid ctest --output-on-failure --no-tests=error -j2 &
group=$!
wait "$group" || status=$?
kill -KILL -- "-$group" 2>/dev/null || true
exit "$status"
