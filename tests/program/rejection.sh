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
    [ "$(tail -n 1 "$SCRATCH/err")" = "$USAGE" ] || fail "'$*': the last line is not the form"
}
USAGE="lingerjob: usage: lingerjob [OPTION]... /MODE /TASK, e.g. lingerjob /1 /firefox; see lingerjob --help"
if [ -z "${LINGERJOB_IN_XVFB:-}" ]; then
    check_rejected calc.exe
    check_rejected /1 calc.exe
    check_rejected /x /calc.exe
    check_rejected /99999 /calc.exe
    check_rejected -platform offscreen   # Qt's own options are ours, and wrong here
    check_rejected /1 zebraquux
    check_rejected " "  # spaces only are not "no arguments"
    check_rejected ""   # nor is an empty argument (lingerjob "$EMPTY")

    # Control characters of the text shown visibly, so they cannot act on a terminal.
    status=0
    headless "$LINGERJOB" /1 $'/a --\e[2Jz' 2>"$SCRATCH/err" || status=$?
    [ "$status" -eq 2 ] && grep -qxF -- '/1 /a --\x1b[2Jz' "$SCRATCH/err" &&
        ! grep -q $'\e' "$SCRATCH/err" || fail "an escape sequence reached stderr: $(cat -v "$SCRATCH/err")"

    # Tight memory, from too little to load the program to enough for 1 MB of
    # arguments: never a signal; a failed allocation is status 1 and one line; a
    # rejection shows the text given, whole. (A sanitizer reserves far more.)
    if ! sanitized; then
        big=(/x)
        for _ in $(seq 10); do big+=("$(printf '%0100000d' 0)"); done
        seen=" "
        # Finely where the program starts to load (found first: it moves with the
        # build), coarsely up to 1 MB of arguments.
        loads=1024
        while [ "$loads" -lt 8192 ] && ! headless prlimit --as=$((loads * 1024)) "$LINGERJOB" \
            --version >/dev/null 2>&1; do loads=$((loads + 64)); done
        for kib in $(seq $((loads - 64)) 16 $((loads + 192))) $(seq 4096 512 12288); do
            for case in small big wait; do
                case $case in
                small) args=(/x) ;;
                big) args=("${big[@]}") ;;
                wait) args=(--timeout=0.001 /1 /no-such-task "${big[@]:1}") ;;
                esac
                status=0
                headless prlimit --as=$((kib * 1024)) "$LINGERJOB" "${args[@]}" >/dev/null \
                    2>"$SCRATCH/err" || status=$?
                case $status in
                1) [ "$(cat "$SCRATCH/err")" = "lingerjob: out of memory" ] ;;
                2) [ "$case" != wait ] &&
                    cmp -s "$SCRATCH/err" <(printf 'your arguments are not right\n%s\n%s\n' "${args[*]}" "$USAGE") ;;
                124) [ "$case" = wait ] && [ ! -s "$SCRATCH/err" ] ;;
                127) grep -q "error while loading shared libraries\|cannot allocate TLS" "$SCRATCH/err" ;;
                *) false ;;
                esac || fail "$kib KiB, $case: status $status, stderr: $(head -c 200 "$SCRATCH/err")"
                [[ "$seen" == *" $case:$status "* ]] || seen+="$case:$status "
            done
        done
        echo "tight memory, statuses seen:$seen"
        for want in small:1 small:2 big:1 big:2 wait:1 wait:124; do
            [[ "$seen" == *" $want "* ]] || fail "no limit gave $want"
        done
    else
        echo "skipped: tight memory (a sanitizer build)"
    fi

    # With a display the same start shows the rejection box, not the window: OK ends it with 2.
    use_own_xvfb box
    LINGERJOB_IN_XVFB=1 bash "$0" || fail "with a display"
    echo "rejection: ok"
    exit 0
fi
"$LINGERJOB" "" 2>/dev/null &
app=$!
PIDS+=("$app")
box=""
for _ in $(seq 600); do  # as long as the program runs: a minute is the safety net
    box=$(xdotool search --onlyvisible --name '^Lingerjob$' 2>/dev/null | head -1) && [ -n "$box" ] && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
[ -n "$box" ] || fail "no box appeared"
xdotool windowfocus --sync "$box" key Return
wait_for_end "$app" 60
[ "$STATUS" -eq 2 ] || fail "lingerjob \"\" with a display ended with $STATUS"

echo "rejection with a display: ok"
