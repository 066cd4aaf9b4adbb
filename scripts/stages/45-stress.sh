#!/usr/bin/env bash
# Soak, process churn, odd executable names, an unreadable /proc and a failing
# handler, against the real /proc and the real program (Qt offscreen).
source "$(dirname "$0")/../lib.sh"
need_packages "${BUILD_PACKAGES[@]}" libgtest-dev

build="$ROOT/build-stress"
cmake -S "$ROOT/tests/stress/standalone" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
# The tests reap what they start; should one crash, its probes and watches are
# left in the process group started here, which is ended at the close.
status=0
# Verbose, so the figures (descriptors, memory, churn counts) show in the log.
setsid ctest -L stress -j2 -V &
group=$!
wait "$group" || status=$?
kill -KILL -- "-$group" 2>/dev/null || true
exit "$status"
