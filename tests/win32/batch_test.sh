#!/usr/bin/env bash
# Lingerjob.exe in batch files run by wine's cmd, as a batch file on Windows
# would run it: cmd waits for the GUI program, and errorlevel is its exit code.
# Then lingerjob.com, the console program that "lingerjob" finds first.
#   batch_test.sh <Lingerjob.exe> <ljprobe.exe> <ljhelper.exe> <work folder> <line_maker.exe>
#                 <lingerjob.com> <objdump>
# Needs the wine environment of tests/win32/wine-env.sh and a display.
set -uo pipefail
exe=$1 probe=$2 helper=$3 work=$4 maker=$5 com=$6 objdump=$7

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_line() {  # output, line, what
    if grep -qxF -- "$2" <<<"$1"; then pass; else fail "$3: no line '$2' in:"; echo "$1" | sed 's/^/     /'; fi
}

rm -rf "$work"
mkdir -p "$work"
cp "$exe" "$work/Lingerjob.exe"
cp "$probe" "$work/ljprobe.exe"
cp "$helper" "$work/ljhelper.exe"
cd "$work" || exit 1
work=$PWD

# Writes a batch file with CR LF line ends.
write_bat() {  # name, lines...
    local name=$1
    shift
    printf '%s\r\n' "$@" >"$name"
}
# Runs a batch file; its output, without CRs, goes to the file out; elapsed
# gets the milliseconds it took.
run_bat() {
    local start
    start=$(date +%s%3N)
    timeout 120 wine cmd /c "$1" 2>"$work/bat.err" | tr -d '\r' >out
    elapsed=$(($(date +%s%3N) - start))
    echo "   ($1 took $elapsed ms)"
    sed 's/^/   /' out
    # A batch file that printed nothing: what wine said instead.
    [ -s out ] || sed 's/^/   stderr: /' "$work/bat.err"
}

echo "-- /1 while the probe runs (task in capitals): the marker comes only after the probe has ended"
write_bat wait1.bat \
    '@echo off' \
    'start "" ljprobe.exe 7000 probe1.started probe1.done' \
    'Lingerjob.exe /1 /LJProbe.EXE' \
    'echo MARK1 errorlevel=%errorlevel%' \
    'if exist probe1.done (echo MARK1 after-probe) else (echo MARK1 before-probe)'
run_bat wait1.bat
out=$(cat out)
expect_line "$out" "MARK1 errorlevel=0" "mode 1"
expect_line "$out" "MARK1 after-probe" "mode 1"
if [ "$elapsed" -ge 7000 ]; then pass; else fail "mode 1 ended after $elapsed ms, before the 7 s probe"; fi
[ -f probe1.started ] && pass || fail "the probe never ran"

echo "-- /0 with the probe started later: the marker comes only after the probe has started"
write_bat wait0.bat \
    '@echo off' \
    'start "" ljhelper.exe later 4000 ljprobe.exe 6000 probe0.started probe0.done' \
    'Lingerjob.exe /0 /ljprobe.exe' \
    'echo MARK0 errorlevel=%errorlevel%' \
    'if exist probe0.started (echo MARK0 after-start) else (echo MARK0 before-start)' \
    'if exist probe0.done (echo MARK0 probe-already-done) else (echo MARK0 probe-still-running)'
run_bat wait0.bat
out=$(cat out)
expect_line "$out" "MARK0 errorlevel=0" "mode 0"
expect_line "$out" "MARK0 after-start" "mode 0"
expect_line "$out" "MARK0 probe-still-running" "mode 0"
if [ "$elapsed" -ge 4000 ]; then pass; else fail "mode 0 ended after $elapsed ms, before the probe started"; fi
for _ in $(seq 100); do [ -f probe0.done ] && break; sleep 0.1; done  # let the probe finish

echo "-- /1 with no such task: over at the first tick, errorlevel 0"
write_bat none.bat \
    '@echo off' \
    'Lingerjob.exe /1 /no-such-task-zz' \
    'echo MARK3 errorlevel=%errorlevel%'
run_bat none.bat
out=$(cat out)
expect_line "$out" "MARK3 errorlevel=0" "no such task"
if [ "$elapsed" -ge 2500 ]; then pass; else fail "ended after $elapsed ms, before the first tick"; fi

echo "-- /1 /lingerjob alone: the program does not find itself, over at the first tick"
write_bat self1.bat '@echo off' 'Lingerjob.exe /1 /lingerjob' 'echo MARK4 errorlevel=%errorlevel%'
run_bat self1.bat
expect_line "$(cat out)" "MARK4 errorlevel=0" "mode 1 on its own name"
if [ "$elapsed" -ge 2500 ] && [ "$elapsed" -lt 20000 ]; then pass; else fail "mode 1 on its own name took $elapsed ms"; fi

echo "-- /0 /lingerjob: waits until another copy starts (7 s later)"
write_bat self0.bat \
    '@echo off' \
    'start "" ljhelper.exe later 7000 Lingerjob.exe /1 /no-such-task-zz' \
    'Lingerjob.exe /0 /lingerjob' \
    'echo MARK5 errorlevel=%errorlevel%'
run_bat self0.bat
expect_line "$(cat out)" "MARK5 errorlevel=0" "mode 0 on its own name"
if [ "$elapsed" -ge 7000 ]; then pass; else fail "mode 0 on its own name ended after $elapsed ms"; fi

echo "-- /1 /cmd.exe: the batch file's own cmd is not counted, one started beside it is (8 s)"
write_bat sibling.bat '@echo off' 'ljprobe.exe 8000'
write_bat ownCmd.bat '@echo off' 'Lingerjob.exe /1 /cmd.exe' 'echo MARK6 errorlevel=%errorlevel%'
run_bat ownCmd.bat
expect_line "$(cat out)" "MARK6 errorlevel=0" "mode 1 on its own cmd"
if [ "$elapsed" -ge 2500 ] && [ "$elapsed" -lt 7000 ]; then pass; else fail "mode 1 on its own cmd took $elapsed ms"; fi
write_bat beside.bat '@echo off' 'start "" cmd /c sibling.bat' 'Lingerjob.exe /1 /cmd.exe' \
    'echo MARK7 errorlevel=%errorlevel%'
run_bat beside.bat
expect_line "$(cat out)" "MARK7 errorlevel=0" "mode 1 on a cmd beside it"
if [ "$elapsed" -ge 8000 ]; then pass; else fail "mode 1 on a cmd beside it ended after $elapsed ms"; fi

echo "-- quotes the Windows way, --interval, --timeout, stray tabs: errorlevel and time"
cp ljprobe.exe "lj probe.exe"
# What runs first (lines parted by ";"), Lingerjob's arguments, errorlevel, fewest and most ms.
while IFS='|' read -r first args level fewest most; do
    IFS=';' read -ra lines <<<"$first"
    args=${args//<TAB>/$'\t'}
    write_bat timed.bat '@echo off' "${lines[@]}" "Lingerjob.exe $args" 'echo MARKT errorlevel=%errorlevel%'
    run_bat timed.bat
    expect_line "$(cat out)" "MARKT errorlevel=$level" "$args"
    if [ "$elapsed" -ge "$fewest" ] && [ "$elapsed" -le "$most" ]; then pass; else fail "$args took $elapsed ms"; fi
done <<'EOF'
start "" "lj probe.exe" 6000|"/1 /lj probe.exe"|0|6000|12000
start "" ljprobe.exe 5000|/0 /"ljprobe.exe" --timeout=8|0|2500|6000
rem|"/1" "/no-such-task-zz"|0|2500|6000
start "" ljprobe.exe 4000;Lingerjob.exe --interval=0.2 /0 /ljprobe.exe|/1 /ljprobe.exe --interval=0.2|0|4000|5500
start "" ljprobe.exe 8000|--timeout=2 /1 /ljprobe.exe|124|2000|4500
rem|--timeout=3 /1 /no-such-task-zz|0|2500|4500
start "" ljprobe.exe 6000|/1 /ljprobe.exe<TAB>|0|6000|12000
start "" ljprobe.exe 6000|/<TAB>1<TAB>/<TAB>ljprobe.exe<TAB> |0|6000|12000
EOF

echo "-- bad arguments and options: the message, then errorlevel 2; --version: its box, 0"
rejected=$'your arguments are not right\r\n'
while IFS='|' read -r args level box; do
    rm -f box.txt
    write_bat bad.bat \
        '@echo off' \
        'start "" ljhelper.exe dismiss 20000 box.txt' \
        "Lingerjob.exe $args" \
        'echo MARK2 errorlevel=%errorlevel%' \
        'if errorlevel 2 (echo MARK2 at-least-2) else (echo MARK2 below-2)'
    run_bat bad.bat
    expect_line "$(cat out)" "MARK2 errorlevel=$level" "'$args'"
    expect_line "$(cat out)" "MARK2 $([ "$level" -ge 2 ] && echo at-least-2 || echo below-2)" "'$args'"
    want=${box:-$rejected$args}  # the rejection shows the text as written, quotes and all
    if [ -f box.txt ] && [[ "$(cat box.txt)" == "$want"* ]]; then
        pass
    else
        fail "'$args': the box said '$(cat box.txt 2>/dev/null)'"
    fi
done <<'EOF'
/x|2|
/1|2|
/abc /calc.exe|2|
--opt /1 /x|2|
--interval=9999 /1 /x|2|
"/1"|2|
-V|0|lingerjob 1.0.0
EOF

echo "-- Make command line pasted into batch files: the program in a folder with blanks, hostile tasks"
# Each task is picked from the list, where a probe runs under that name; the
# characters no file name may hold (| < > ") are tried as typed text. The last
# three hold words that are options outside a task.
picked=('lj01 two  blanks.exe' 'lj02;md m2.exe' 'lj03&md m3&.exe' 'lj04$(md m4).exe'
    'lj05`md m5`.exe' "lj06'x'&md m6.exe" 'lj07%path%.exe' 'lj08!!.exe' 'lj09^x&md m9.exe'
    'lj10,=.exe' 'lj11 --x app.exe' 'lj12 -h b.exe' 'lj13 --timeout=1 x.exe')
tools="$work/Linger Job (x86)"
mkdir -p "$tools" probes
cp "$exe" "$tools/Lingerjob.exe"
for i in "${!picked[@]}"; do
    cp "$probe" "probes/${picked[i]}"
    (cd probes && exec wine "./${picked[i]}" 30000 "../started$i" "../done$i") &
done
make_bat() {  # folder, mode, pick|type, task
    local line
    line=$(wine "$maker" cmd "Z:${tools//\//\\}" Lingerjob "$2" "$3" "$4" | tr -d '\r') ||
        fail "no line for '$4'"
    mkdir "$1"
    write_bat "$1/row.bat" '@echo off' "$line" 'echo MARK errorlevel=%errorlevel%' \
        "if exist ..\\done${1#row} (echo MARK after-probe) else (echo MARK before-probe)"
}
for i in "${!picked[@]}"; do make_bat "row$i" 1 pick "${picked[i]}"; done
for i in "${!picked[@]}"; do
    (cd "row$i" && timeout 120 wine cmd /c row.bat 2>/dev/null | tr -d '\r' >../out$i) &
done
# Every wait's window shows its task (until all are up, at most 30 s).
want=$(printf '%s\n' "${picked[@]}" | sort)
for _ in $(seq 30); do
    sleep 1
    wine "$helper" tasks tasks.txt
    [ "$(sort tasks.txt)" = "$want" ] && break
done
if [ "$(sort tasks.txt)" = "$want" ]; then
    pass
else
    fail "the waits run with the tasks:"
    sed 's/^/     /' tasks.txt
fi
wait
for i in "${!picked[@]}"; do
    out=$(cat "out$i")
    expect_line "$out" "MARK errorlevel=0" "'${picked[i]}'"
    expect_line "$out" "MARK after-probe" "'${picked[i]}'"
    [ "$(ls -A "row$i")" = row.bat ] && pass || fail "'${picked[i]}' made: $(ls -A "row$i")"
done
make_bat rowtyped 1 type 'lj11|md m11 <x> "y" & md m12^'
cd rowtyped && run_bat row.bat && cd ..
out=$(cat rowtyped/out)
expect_line "$out" "MARK errorlevel=0" "typed task"
if [ "$elapsed" -ge 2500 ]; then pass; else fail "typed task: ended after $elapsed ms, before the first tick"; fi
[ "$(ls -A rowtyped)" = "out
row.bat" ] && pass || fail "the typed task made: $(ls -A rowtyped)"

echo "-- lingerjob.com beside Lingerjob.exe, called as lingerjob from a batch file and cmd /c"
cp "$com" lingerjob.com
if grep -q 'Subsystem.*(Windows CUI)' <<<"$("$objdump" -p lingerjob.com)"; then pass; else fail "lingerjob.com: no console subsystem"; fi
# What runs first, lingerjob's arguments, errorlevel, fewest and most ms.
while IFS='|' read -r first args level fewest most; do
    write_bat com.bat '@echo off' "$first" "lingerjob $args" 'echo MARKC errorlevel=%errorlevel%'
    run_bat com.bat
    expect_line "$(cat out)" "MARKC errorlevel=$level" "lingerjob $args"
    if [ "$elapsed" -ge "$fewest" ] && [ "$elapsed" -le "$most" ]; then pass; else fail "lingerjob $args took $elapsed ms"; fi
done <<'EOF'
start "" ljprobe.exe 7000|/1 /ljprobe.exe|0|7000|12000
start "" ljhelper.exe later 4000 ljprobe.exe 3000|/0 /"ljprobe.exe"|0|4000|9000
start "" ljprobe.exe 5000|--timeout=2 /1 /ljprobe.exe|124|2000|4500
rem|/1 /cmd.exe|0|2500|6000
rem|/x|2|0|3000
EOF
sleep 3 # the probe of the time-out row ends

echo "-- --exact, --full, --no-window: a wait that sees the probe ends after it, one that does not before"
# The program, its arguments, when the wait ends, and what runs first.
rm -f shown.txt
while IFS='|' read -r program args ends first; do
    rm -f m.started m.done
    write_bat match.bat '@echo off' 'start "" ljprobe.exe 8000 m.started m.done' "$first" \
        "$program --interval=0.5 $args" 'if exist m.done (echo MARKM after) else (echo MARKM before)'
    run_bat match.bat
    expect_line "$(cat out)" "MARKM $ends" "$program $args"
    for _ in $(seq 150); do [ -f m.done ] && break; sleep 0.1; done # the probe ends before the next row
done <<'EOF'
Lingerjob.exe|--exact /1 /LJProbe|after|rem
Lingerjob.exe|--exact /1 /ljprob|before|rem
Lingerjob.exe|--full /1 /ljprobe.exe 8000 m.started|after|rem
Lingerjob.exe|--full /1 /ljprobe.exe 8000 other|before|rem
Lingerjob.exe|--full --exact /1 /%CD%\ljprobe.exe 8000 m.started m.done|after|rem
Lingerjob.exe|--no-window /1 /ljprobe.exe|after|start "" ljhelper.exe later 3000 ljhelper.exe tasks shown.txt
lingerjob|--exact /1 /ljprobe.exe|after|rem
lingerjob|--full /1 /ljprobe.exe 8000 m.started|after|rem
EOF
[ -f shown.txt ] && [ ! -s shown.txt ] && pass || fail "--no-window: the windows shown: $(cat shown.txt)"
# cmd /c: the status is lingerjob's; --help on stdout; a rejection on stderr, and no box.
run_cmd() {  # expected status, fewest ms, most ms, arguments...
    local want=$1 fewest=$2 most=$3 start status
    shift 3
    start=$(date +%s%3N)
    timeout 60 wine cmd /c lingerjob "$@" >stdout.txt 2>stderr.txt
    status=$?
    elapsed=$(($(date +%s%3N) - start))
    echo "   (cmd /c lingerjob $* took $elapsed ms, status $status)"
    [ "$status" = "$want" ] && pass || fail "cmd /c lingerjob $*: status $status"
    if [ "$elapsed" -ge "$fewest" ] && [ "$elapsed" -le "$most" ]; then pass; else fail "cmd /c lingerjob $* took $elapsed ms"; fi
}
wine ljprobe.exe 6000 &
run_cmd 0 6000 11000 /1 /ljprobe.exe
wine ljhelper.exe later 4000 ljprobe.exe 3000 &
run_cmd 0 4000 9000 /0 /ljprobe.exe
run_cmd 124 1500 4000 --timeout=1.5 /0 /no-such-task-zz
run_cmd 0 0 6000 --interval=0.5 /1 /tools/ljprobe.exe
expect_line "$(tr -d '\r' <stderr.txt)" "lingerjob: the task sought is \"tools\"; \"ljprobe.exe\" after the next \"/\" is ignored. Give the program's name alone, e.g. /1 /ljprobe.exe" "a path as task"
run_cmd 0 0 3000 --help
help=$(tr -d '\r' <stdout.txt)
expect_line "$help" "Usage: lingerjob [OPTION]... /MODE /TASK" "--help"
# For an 80-column console, with batch examples that run the console program.
expect_line "$help" "  lingerjob --timeout=600 /1 /setup.exe" "--help"
long=$(awk 'length($0) > 79' <<<"$help")
[ -z "$long" ] && pass || fail "--help lines over 79 characters: $long"
! grep -q 'Lingerjob\.exe' <<<"$help" && pass || fail "--help runs Lingerjob.exe"
# Into a file, every line ends with CR LF.
[ "$(grep -c $'\r$' stdout.txt)" = "$(wc -l <stdout.txt)" ] && pass || fail "--help: a line without CR LF"
[ ! -s stderr.txt ] && pass || fail "--help wrote on stderr: $(cat stderr.txt)"
rm -f box.txt
wine ljhelper.exe dismiss 4000 box.txt &
run_cmd 2 0 3000 --bogus /1 /x
expect_line "$(tr -d '\r' <stderr.txt)" "unknown option --bogus (see --help)" "rejection"
[ "$(tr -d '\r' <stderr.txt | tail -n 1)" = "lingerjob: usage: lingerjob [OPTION]... /MODE /TASK, e.g. lingerjob /1 /firefox; see lingerjob --help" ] &&
    pass || fail "the rejection's last line: $(tail -n 1 stderr.txt)"
[ "$(grep -c $'\r$' stderr.txt)" = "$(wc -l <stderr.txt)" ] && pass || fail "rejection: a line without CR LF"
[ ! -s stdout.txt ] && pass || fail "the rejection wrote on stdout: $(cat stdout.txt)"
wait
[ ! -f box.txt ] && pass || fail "the rejection showed a box: $(cat box.txt)"
echo "-- a non-ASCII folder in a batch file saved in the console's code page (437 here)"
mkdir -p zïp
cp lingerjob.com zïp/
printf '%s\r\n' '@echo off' '"zïp\lingerjob.com" --version' 'echo MARKU errorlevel=%errorlevel%' |
    iconv -f UTF-8 -t CP437 >cp437.bat
run_bat cp437.bat
expect_line "$(cat out)" "lingerjob 1.0.0" "a folder in code page 437"
expect_line "$(cat out)" "MARKU errorlevel=0" "a folder in code page 437"

echo "-- --version and --help into a full disk and into a closed pipe: errorlevel 1, a write error"
mkdir full
trap 'umount "$work/full" 2>/dev/null' EXIT
if mount -t tmpfs -o size=8k tmpfs full; then
    head -c 1M /dev/zero >full/fill 2>/dev/null
    for args in --version --help; do
        write_bat full.bat '@echo off' "lingerjob $args >full\\out.txt 2>err.txt" \
            'echo MARKF errorlevel=%errorlevel%'
        run_bat full.bat
        expect_line "$(cat out)" "MARKF errorlevel=1" "$args into a full disk"
        expect_line "$(tr -d '\r' <err.txt)" "lingerjob: write error: No space left on device" "$args into a full disk"
    done
    umount full
else
    fail "no tmpfs for a full disk (the test runs as root)"
fi
for args in --version --help; do
    # The reader is gone by the time the program writes.
    { sleep 1; wine lingerjob.com $args 2>err.txt; echo $? >status.txt; } | true
    [ "$(cat status.txt)" = 1 ] && pass || fail "$args into a closed pipe: status $(cat status.txt)"
    expect_line "$(tr -d '\r' <err.txt)" "lingerjob: write error: Broken pipe" "$args into a closed pipe"
done

# Without arguments it starts the window and ends.
run_cmd 0 0 3000
for _ in $(seq 50); do
    wine ljhelper.exe tasks tasks.txt
    [ -s tasks.txt ] && break
    sleep 0.2
done
[ "$(wc -l <tasks.txt)" = 1 ] && pass || fail "lingerjob alone: $(wc -l <tasks.txt) windows"
wine ljhelper.exe close

echo "-- /1 ends once its task has ended, before the next tick; not while a second one runs"
# The mark starts 5.9 s after the helper, which starts before the wait: before
# the wait's second tick. The second probe starts after the first tick.
cp ljprobe.exe ljmark.exe
for program in Lingerjob.exe lingerjob; do
    rm -f p1.* p2.* mark.*
    write_bat early.bat '@echo off' 'start "" ljprobe.exe 4800 p1.started p1.done' \
        'start "" ljhelper.exe later 5900 ljmark.exe 1 mark.started mark.done' \
        "$program -v /1 /ljprobe.exe 2>verbose.txt" 'echo MARKE errorlevel=%errorlevel%' \
        'if exist p1.done (echo MARKE after-probe) else (echo MARKE before-probe)' \
        'if exist mark.started (echo MARKE at-the-tick) else (echo MARKE before-the-tick)'
    run_bat early.bat
    for line in errorlevel=0 after-probe before-the-tick; do
        expect_line "$(cat out)" "MARKE $line" "$program, early end"
    done
    if [ "$program" = lingerjob ]; then  # --verbose: the process id, its exit code, the end
        said=$(tr -d '\r' <verbose.txt)
        grep -qx "lingerjob: matching: [0-9]* ljprobe.exe" <<<"$said" &&
            grep -qx "lingerjob: process [0-9]* ended with exit code 0" <<<"$said" &&
            grep -qx "lingerjob: the wait is over: no matching process runs" <<<"$said" &&
            pass || fail "lingerjob -v said: $said"
    fi
    write_bat twice.bat '@echo off' 'start "" ljprobe.exe 6800 p1.started p1.done' \
        'start "" ljhelper.exe later 4000 ljprobe.exe 4500 p2.started p2.done' \
        "$program /1 /ljprobe.exe" 'echo MARKW errorlevel=%errorlevel%' \
        'if exist p2.done (echo MARKW after-second) else (echo MARKW before-second)'
    run_bat twice.bat
    for line in errorlevel=0 after-second; do
        expect_line "$(cat out)" "MARKW $line" "$program, a second probe"
    done
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
