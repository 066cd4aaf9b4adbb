#!/usr/bin/env bash
# What the program sees in /proc, headless, against real processes: a script by
# its own name (started through its "#!" line or through env), a program by the
# name it was started under or gave itself, no kernel threads or zombies, a list that cannot be read whole
# taken for no list, and a note when /proc hides other users' processes. The
# cases run side by side, as root and (when the test runs as root) as nobody,
# who sees other users' processes as any unprivileged user does.
source "$(dirname "$0")/lib.sh"
tick=3
id=$$
chmod 755 "$SCRATCH"  # nobody runs the program from here; the build folder may be closed
install -m 755 "$LINGERJOB" "$SCRATCH/lingerjob"
program=("${HEADLESS[@]}" "$SCRATCH/lingerjob")
as_nobody=()
if [ "$(id -u)" -eq 0 ]; then
    as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
    echo "skipped: the cases as nobody and hidepid (they need root)"
fi
WATCHES=() NOTED=()

watch() {  # name, then the command
    local name=$1
    shift
    spawn "$@" 2>"$SCRATCH/$name.err"
    declare -g "$name=$SPAWNED"
    WATCHES+=("$name")
}
watch_both() {  # name, then the program's arguments
    local name=$1
    shift
    watch "$name" "${program[@]}" "$@"
    [ ${#as_nobody[@]} -eq 0 ] || watch "${name}_nobody" "${as_nobody[@]}" "${program[@]}" "$@"
}
ends_with_0() {  # names...
    local name
    for name in "$@"; do
        [ -n "${!name:-}" ] || continue
        wait_for_end "${!name}" $((tick + 3))
        echo "$name: status $STATUS, $((ENDED - START)) ms after $SINCE"
        [ "$STATUS" -eq 0 ] || fail "$name ended with status $STATUS: $(cat "$SCRATCH/$name.err")"
    done
}
START=$(now_ms) SINCE="the start"

# A script started through its "#!" line, sought beyond its 15-byte short name.
# It blocks on a FIFO of its own, so that it starts no other process.
printf '#!/bin/sh\nread line <>"$0.fifo"\n' >"$SCRATCH/lingerjob-script-$id-helper"
chmod 755 "$SCRATCH/lingerjob-script-$id-helper"
mkfifo "$SCRATCH/lingerjob-script-$id-helper.fifo"
spawn "$SCRATCH/lingerjob-script-$id-helper"
script_pid=$SPAWNED
watch_both script /1 "/script-$id-helper"

# Scripts started through env, by the portable "#!" lines: mode 1 waits while
# one runs, mode 0 (watching before it starts) ends once it runs. Two start from
# their folder, one of them changes folder first (a shell keeps its script open);
# the third starts by its path, which nobody can follow as well.
env_lines=('#!/usr/bin/env bash' '#!/usr/bin/env python3' '#!/usr/bin/env -S bash -e')
env_bodies=('cd /\nread line <>"%s"' 'import os\nos.read(os.open("%s", os.O_RDWR), 1)'
    'read line <>"%s"')
env_pids=()
for i in 0 1 2; do
    name="ljenv$i-$id-script"
    # shellcheck disable=SC2059 # the body is a format
    printf "%s\\n${env_bodies[i]}\\n" "${env_lines[i]}" "$SCRATCH/$name.fifo" >"$SCRATCH/$name"
    chmod 755 "$SCRATCH/$name"
    mkfifo "$SCRATCH/$name.fifo"
    watch "env0_$i" "${program[@]}" /0 "/$name"
done
cd "$SCRATCH"
for i in 0 1; do
    spawn "./ljenv$i-$id-script"
    env_pids+=("$SPAWNED")
done
cd - >/dev/null
spawn "$SCRATCH/ljenv2-$id-script"
env_pids+=("$SPAWNED")
for pid in "${env_pids[@]}"; do  # past env and the wrappers it may run (pyenv's), at the FIFO
    for _ in $(seq 600); do ls -l "/proc/$pid/fd" | grep -q fifo && break || sleep 0.1; done
done
for i in 0 1; do watch "env1_$i" "${program[@]}" /1 "/ljenv$i-$id-script"; done
watch_both env1_2 /1 "/ljenv2-$id-script"

# Every account names a program alike: started through a symbolic link, it is
# the link's name (not its target's); renamed by itself, the new name.
ln -s "$(make_probe "ljtarget-$id")" "$SCRATCH/ljlinkname-$id"
spawn "$SCRATCH/ljlinkname-$id" 600
watch_both link /1 "/ljlinkname-$id"
watch_both target /1 "/ljtarget-$id"
mkfifo "$SCRATCH/renamed.fifo"
spawn sh -c 'printf %s "$0" >/proc/$$/comm && read line <>"$1"' "ljren$id" "$SCRATCH/renamed.fifo"
# A FIFO where a script's path would be, with a writer waiting for a reader:
# looking at it must not open it (nor wake the writer).
mkfifo "$SCRATCH/ljfifo-$id"
spawn sh -c 'echo "#!/bin/sh" >"$0" && touch "$0.opened"' "$SCRATCH/ljfifo-$id"
cd "$SCRATCH"
spawn bash -c 'read line <>renamed.fifo' "./ljfifo-$id"
cd - >/dev/null
watch_both renamed /1 "/ljren$id"

# A zombie (its parent never reaps it) and a kernel thread, unless /proc belongs
# to a PID namespace without them.
zombie=$(make_probe "ljz-$id")
spawn sh -c '"$0" 0 & exec sleep 600' "$zombie"
watch_both zombie /1 "/ljz-$id"
if [ "$(cat /proc/2/comm 2>/dev/null)" = kthreadd ]; then
    watch_both kthread /1 /kthreadd
else
    echo "skipped: kernel threads (this /proc shows none)"
fi

# Descriptor limits around the lowest that lets the program start: where it
# cannot read every process's name, or the head of the script that names the
# task (some limits let the one through but not the other), the wait must go on.
for limit in $(seq 3 12); do
    watch "nofile$limit" prlimit --nofile="$limit:$limit" "${program[@]}" /1 "/ljenv2-$id-script"
done

# /proc mounted with hidepid in a private mount namespace, never the machine's own.
hidden() {  # name, mount options, then the user's command
    local name=$1 options=$2
    shift 2
    watch "$name" unshare -m --propagation private sh -c \
        'mount -t proc -o "$0" proc /proc && exec "$@"' "$options" "$@" \
        "${program[@]}" /1 "/no-such-task-$id"
}
if [ ${#as_nobody[@]} -gt 0 ]; then
    if unshare -m --propagation private mount -t proc -o hidepid=2 proc /proc 2>"$SCRATCH/ns"; then
        hidden hide2 hidepid=2 "${as_nobody[@]}"
        hidden hide1 hidepid=1 "${as_nobody[@]}"
        hidden hide2gid hidepid=2,gid=65534 "${as_nobody[@]}"
        hidden hide2root hidepid=2,gid=65534 env  # root sees past it by CAP_SYS_PTRACE alone
        NOTED=(hide2 hide1)
    else
        echo "skipped: hidepid (no private mount namespace here: $(cat "$SCRATCH/ns"))"
    fi
fi

# Over at the first tick: only a zombie or a kernel thread bore the name, and
# what nobody may not see counts as not running (without a failed list).
ends_with_0 zombie zombie_nobody kthread kthread_nobody hide2 hide1 hide2gid hide2root \
    env0_0 env0_1 env0_2 target target_nobody
for name in "${WATCHES[@]}"; do
    notes=$(grep -c "hides other users' processes" "$SCRATCH/$name.err" || true)
    expected=0
    [[ " ${NOTED[*]:-} " == *" $name "* ]] && expected=1
    [ "$notes" -eq "$expected" ] || fail "$name: $notes notes, not $expected: $(cat "$SCRATCH/$name.err")"
done
for name in hide2 hide1; do
    [ -z "${!name:-}" ] || ! grep -q "could not read" "$SCRATCH/$name.err" ||
        fail "$name: the list failed where it is only shorter"
done

# Still waiting after two ticks: on the script, and at every limit that let
# the program start, with a warning where the list could not be read.
pause=$(((START + (tick * 2 + 1) * 1000 - $(now_ms)) / 1000 + 1))
[ "$pause" -le 0 ] || sleep "$pause"
[ ! -e "$SCRATCH/ljfifo-$id.opened" ] || fail "a FIFO named as a script was opened"
warned=0
for limit in $(seq 3 12); do
    name="nofile$limit" state=waiting
    err="$SCRATCH/$name.err"
    if ! kill -0 "${!name}" 2>/dev/null; then
        STATUS=0
        wait "${!name}" 2>/dev/null || STATUS=$?
        state="ended with status $STATUS"
        [ "$STATUS" -ne 0 ] || fail "with $limit descriptors the wait ended with 0 while the task ran"
    fi
    if grep -q "could not read the list" "$err"; then
        state+=", warned"
        warned=$((warned + 1))
        # A sanitizer's runtime may itself fail for want of descriptors; nothing else may.
        [ "$state" = "waiting, warned" ] || grep -q "runtime error\|Sanitizer" "$err" ||
            fail "with $limit descriptors the wait ended after the warning: $(cat "$err")"
    fi
    echo "nofile $limit: $state"
done
# A sanitizer build needs more descriptors of its own and skips that window.
[ "$warned" -gt 0 ] || grep -qs "runtime error\|Sanitizer" "$SCRATCH"/nofile*.err ||
    fail "no limit let the program start yet kept it from reading the list"
for name in script script_nobody env1_0 env1_1 env1_2 env1_2_nobody link link_nobody renamed \
    renamed_nobody; do
    [ -z "${!name:-}" ] || kill -0 "${!name}" 2>/dev/null ||
        fail "$name ended while what it waits on ran: $(cat "$SCRATCH/$name.err")"
done
START=$(now_ms) SINCE="the scripts ended"
for pid in "$script_pid" "${env_pids[@]}"; do
    { kill "$pid" && wait "$pid"; } 2>/dev/null || true
done
ends_with_0 script script_nobody env1_0 env1_1 env1_2 env1_2_nobody
# FUSE file systems that stop answering on demand, as an sshfs whose server has
# gone: one root mounts for all (allow_other), one nobody mounts in a user and
# mount namespace of its own under an overlay, each holding a script that bash
# runs. No check may wait on them: a time-out holds, a wait on another task ends.
stall="$SCRATCH/stall" fuse_mode=
unstall() {  # on every path, before anything else: nothing may stay stalled
    rm -f "$stall"
    [ -z "${ns_group:-}" ] || kill -9 -- "-$ns_group" 2>/dev/null || true
    umount -l "$SCRATCH/fuse" 2>/dev/null || true
    [ -z "$fuse_mode" ] || chmod "$fuse_mode" /dev/fuse
}
trap 'unstall; cleanup' EXIT
if [ ${#as_nobody[@]} -eq 0 ] || ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null ||
    ! [ -c /dev/fuse ]; then
    echo "skipped: stalled FUSE mounts (they need root, /dev/fuse and python3-fusepy)"
else
    stallfs=(/usr/bin/python3 "$(dirname "$0")/stallfs.py")
    body="read line <>$SCRATCH/fuse.fifo"
    mkfifo "$SCRATCH/fuse.fifo"
    mkdir "$SCRATCH"/{fuse,lower,empty,ovl}
    spawn "${stallfs[@]}" "$SCRATCH/fuse" "$stall" "ljfuse-$id.sh" "$body" allow_other
    fuse_mode=$(stat -c %a /dev/fuse)
    chmod 666 /dev/fuse
    spawn "${as_nobody[@]}" unshare -Urm sh -c '"$@" &
        while ! [ -e lower/ljfuse-ns.sh ]; do sleep 0.1; done
        mount -t overlay -o lowerdir=lower:empty overlay ovl && exec bash ovl/ljfuse-ns.sh' \
        sh "${stallfs[@]}" "$SCRATCH/lower" "$stall" ljfuse-ns.sh "$body"
    ns_group=$SPAWNED
    for _ in $(seq 600); do [ -e "$SCRATCH/fuse/ljfuse-$id.sh" ] && break; sleep 0.1; done
    spawn bash "$SCRATCH/fuse/ljfuse-$id.sh"
    for _ in $(seq 600); do grep -q ovl "/proc/$ns_group/cmdline" && break; sleep 0.1; done
    sleep 1.5  # both scripts wait on the FIFO, past FUSE's one-second entry cache
    touch "$stall"
    START=$(now_ms) SINCE="the stall"
    WATCHES=()
    start_probe "$(make_probe "lingerjob-probe-fuse-$id")"
    watch_both fuse_other /1 "/probe-fuse-$id"
    watch_both fuse_timeout --timeout=3 /0 /ljfuse
    for name in fuse_timeout fuse_timeout_nobody; do
        wait_for_end "${!name}" $((tick + 3))
        [ "$STATUS" -eq 124 ] || fail "$name ended with $STATUS, not 124: $(cat "$SCRATCH/$name.err")"
    done
    sleep "$tick"
    kill -0 "$fuse_other" && kill -0 "$fuse_other_nobody" || fail "a wait ended while its task ran"
    stop_probe
    START=$(now_ms) SINCE="the probe ended"
    ends_with_0 fuse_other fuse_other_nobody
fi
echo "proc views: ok"
