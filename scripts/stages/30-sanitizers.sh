#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer:
# any memory error, undefined behaviour or leak of our own fails the stage.
source "$(dirname "$0")/../lib.sh"
need_packages "${BUILD_PACKAGES[@]}" libgtest-dev xvfb xauth xclip xdotool qt6-wayland weston fuse3 python3-fusepy

build="$ROOT/build-asan"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$ROOT" -B "$build" \
    -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="$sanitize -O1" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Every test, and every program a test starts, inherits these. Leak checking is
# on; the suppressions name only what Qt and the libraries under it keep for the
# life of the process. A preloaded test library may come before the sanitizer's
# runtime, which is fine here, so the link-order check is off.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
require_tests "$build"
# Sanitized code is several times slower: give slow tests room. Should a test
# crash, what it started is left in the process group started here, which is
# ended at the close.
cd "$build"
status=0
setsid ctest --output-on-failure --no-tests=error -j2 --timeout 600 &
group=$!
wait "$group" || status=$?
kill -KILL -- "-$group" 2>/dev/null || true
exit "$status"
