#!/usr/bin/env bash
# "Make command line" pasted into sh scripts: the program lies in a folder with
# blanks and a quote, and each task is a running process with a hostile or
# awkward name, picked from the list (one of them another user's). Each script
# must start the program with exactly that task, create no file the name asks
# for, wait while the process runs and end with status 0 once it has gone.
#   shell_lines.sh <line_maker>
source "$(dirname "$0")/lib.sh"
maker=$1

names=('lj01 two  blanks' 'lj02;touch m' 'lj03&touch m&' 'lj04|touch m' 'lj05$(touch m)'
    'lj06`touch m`' "lj07'x'; touch m;'" 'lj08%path%' 'lj09!!' 'lj10^x>m' $'lj11\ntouch m'
    'lj12;touch m' 'lj13 --x -h app' 'lj14 --timeout=1 x')
other=11 # index of the name another user's process runs under

chmod 711 "$SCRATCH"
mkdir -m 755 "$SCRATCH/probes"
tools="$SCRATCH/Lj Tools's"
mkdir "$tools"
cp "$LINGERJOB" "$tools/lingerjob"

probes=()
for i in "${!names[@]}"; do
    cp /bin/sleep "$SCRATCH/probes/${names[i]}"
    if [ "$i" -eq "$other" ] && [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=nobody --regid=nogroup --clear-groups "$SCRATCH/probes/${names[i]}" 600 &
    else
        [ "$i" -eq "$other" ] && echo "not root: the other user's process runs as this user"
        "$SCRATCH/probes/${names[i]}" 600 &
    fi
    probes+=($!)
    PIDS+=($!)
done

scripts=()
for i in "${!names[@]}"; do
    line=$("$maker" posix "$tools" lingerjob 1 pick "${names[i]}") || fail "no line for ${names[i]}"
    mkdir "$SCRATCH/run$i"
    printf '%s\necho $? >../status%s\n' "$line" "$i" >"$SCRATCH/run$i/script.sh"
    (cd "$SCRATCH/run$i" && headless sh ./script.sh) &
    scripts+=($!)
    PIDS+=($!)
done

# How many copies of the program run with exactly the arguments in the array
# named $1: one find lists the processes of the program's file, and the shell
# reads their command lines itself, with no process per entry of /proc.
count_runs() {
    local -n wanted=$1
    local dir i n=0 args
    while IFS= read -r dir; do
        mapfile -d '' args <"$dir/cmdline" 2>/dev/null || continue
        [ "${#args[@]}" -eq "${#wanted[@]}" ] || continue
        for i in "${!wanted[@]}"; do [ "${args[i]}" = "${wanted[i]}" ] || continue 2; done
        n=$((n + 1))
    done < <(find /proc -mindepth 2 -maxdepth 2 -name exe -lname "$tools/lingerjob" -printf '%h\n' 2>/dev/null)
    echo "$n"
}

# Each script runs the program with the exact task as its one argument after
# /1, and still waits after the first tick (slow starts get up to a minute more).
sleep 4
for i in "${!names[@]}"; do
    # A task that holds an option word comes after the end of the options.
    marker=()
    [[ " ${names[i]} " =~ [[:blank:]](--[^[:blank:]]*|-h|-V)[[:blank:]] ]] && marker=(--)
    want=("$tools/lingerjob" "${marker[@]}" /1 "/${names[i]}")
    for _ in $(seq 120); do  # a minute at most, for a loaded machine
        found=$(count_runs want)
        [ "$found" -eq 1 ] && break
        sleep 0.5
    done
    [ "$found" -eq 1 ] || fail "$found programs run with the task '${names[i]}'"
    kill -0 "${scripts[i]}" 2>/dev/null || fail "the script for '${names[i]}' ended while the task ran"
done

for pid in "${probes[@]}"; do kill -9 "$pid"; done
for i in "${!names[@]}"; do
    wait_for_end "${scripts[i]}" 10
    [ "$(cat "$SCRATCH/status$i")" = 0 ] || fail "'${names[i]}': status $(cat "$SCRATCH/status$i")"
    [ "$(ls -A "$SCRATCH/run$i")" = script.sh ] || fail "'${names[i]}' made: $(ls -A "$SCRATCH/run$i")"
done
echo "shell lines: ${#names[@]} scripts ok"
