#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 60), starting from the seed corpus in fuzz/corpus.
# Any crash, sanitizer report or failed property fails the stage.
source "$(dirname "$0")/../lib.sh"
need_packages "${BUILD_PACKAGES[@]}" clang-14 libclang-rt-14-dev

seconds="${FUZZ_SECONDS:-60}"
build="$ROOT/build-fuzz"
targets=(command_line_fuzzer proc_text_fuzzer)
cmake -S "$ROOT" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLINGERJOB_TESTS=OFF -DLINGERJOB_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

passed=0
failed=0
total=0
for target in "${targets[@]}"; do
    name="${target%_fuzzer}"
    # New inputs go to the build directory; the committed seeds stay as they are.
    work="$build/corpus/$name"
    artifacts="$build/artifacts/$name/"
    mkdir -p "$work" "$artifacts"
    log "fuzzing $target for ${seconds}s"
    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$work" "$ROOT/fuzz/corpus/$name" >"$build/$name.log" 2>&1 || status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log" | tail -1)"
    runs="${runs:-0}"
    total=$((total + runs))
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "$target: $runs executions, corpus $(ls "$work" | wc -l) inputs, no failure"
    else
        failed=$((failed + 1))
        echo "$target: FAILED (status $status) after $runs executions; log $build/$name.log"
        grep -E 'ERROR|property failed|Test unit written|SUMMARY' "$build/$name.log" | head -20 || true
    fi
done
echo "fuzz executions in total: $total"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
