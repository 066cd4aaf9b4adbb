#!/usr/bin/env bash
# Bad arguments on a machine without a display: the rejection on standard error, status 2.
source "$(dirname "$0")/lib.sh"

check_rejected() {
    local status=0
    headless "$LINGERJOB" "$@" >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
    [ "$status" -eq 2 ] || fail "'$*' ended with $status, not 2"
    grep -qx "your arguments are not right" "$SCRATCH/err" || fail "'$*': no rejection text"
    grep -qxF -- "$*" "$SCRATCH/err" || fail "'$*': raw text not on its own line"
}
check_rejected calc.exe
check_rejected /1 calc.exe
check_rejected /x /calc.exe
check_rejected /99999 /calc.exe
check_rejected -platform offscreen   # Qt's own options are ours, and wrong here
check_rejected " "  # spaces only are not "no arguments"
# A caller that no longer reads standard error still gets the status.
status=$( (sleep 0.5; headless "$LINGERJOB" /x) 2>&1 >/dev/null | true; echo "${PIPESTATUS[0]}")
[ "$status" -eq 2 ] || fail "with standard error a closed pipe the rejection ended with $status"

echo "rejection: ok"
