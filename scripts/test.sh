#!/usr/bin/env bash
# Builds everything and runs every test: the stages in scripts/stages, in order.
# Each stage installs what it needs; the run fails when any stage fails.
source "$(dirname "$0")/lib.sh"
passed=0
failed=0
failures=()
for stage in "$ROOT"/scripts/stages/*.sh; do
    name="$(basename "$stage" .sh)"
    log "stage $name"
    if bash "$stage"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$name")
    fi
done
[ ${#failures[@]} -eq 0 ] || echo "failed stages: ${failures[*]}"
echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
