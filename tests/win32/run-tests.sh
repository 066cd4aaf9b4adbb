#!/usr/bin/env bash
# Runs the Windows build's tests with ctest under wine. Run it on a display
# (scripts/stages/50-windows.sh starts it under xvfb-run).
#   run-tests.sh <build folder>
source "$(dirname "$0")/../../scripts/lib.sh"
source "$ROOT/tests/win32/wine-env.sh"
build=${1:-$ROOT/build-win}

prepare_wine_prefix
# Every wine process of this run ends with the run, whatever the tests left.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# A wine program now and then fails to start at all when it comes just as the
# previous test's wineserver shuts down: a failed test gets one more run, so a
# real fault still fails twice.
ctest --test-dir "$build/app/win32" --output-on-failure --no-tests=error --repeat until-pass:2
