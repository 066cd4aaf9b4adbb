#!/usr/bin/env bash
# Installing lingerjob like a native program: cmake --install into a temporary
# prefix and its uninstall target, the desktop entry, the man page, and the
# Debian package built, checked by lintian, installed with dpkg, run as a script
# would, and removed again.
source "$(dirname "$0")/../lib.sh"
need_packages "${BUILD_PACKAGES[@]}" dpkg-dev file desktop-file-utils groff-base man-db lintian

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
# check DESCRIPTION COMMAND...: one test, passed when COMMAND succeeds.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$passed" -gt 0 ] || echo "FAILED: the packaging stage ran no check"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

tmp=$(mktemp -d)
we_installed=
cleanup() {
    if [ -n "$we_installed" ]; then
        dpkg -r lingerjob >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

# dpkg refuses to run while another package operation holds its lock: wait for it.
dpkg_locked() {
    local out status tries=0
    while :; do
        status=0
        out=$("$@" 2>&1) || status=$?
        if [ "$status" -ne 0 ] && grep -qi 'lock' <<<"$out" && [ $tries -lt 60 ]; then
            tries=$((tries + 1))
            sleep 2
            continue
        fi
        [ "$status" -eq 0 ] || printf '%s\n' "$out" >&2
        return "$status"
    done
}

# Runs a lingerjob binary as a script on a server would: no display, bad
# arguments. It must print the rejection with the text it got and end with 2.
# With a second argument, DISPLAY is set to it: a display that cannot be opened
# makes lingerjob start its window program, which falls back to no display.
rejects_bad_arguments() {
    local binary=$1 status=0 err display=()
    [ -n "${2:-}" ] && display=(DISPLAY="$2")
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${display[@]}" \
        timeout 30 "$binary" /bad 2>&1 >/dev/null </dev/null) || status=$?
    if [ "$status" -ne 2 ]; then
        echo "  $binary /bad ended with status $status" >&2
        printf '%s\n' "$err" | sed 's/^/  | /' >&2
        return 1
    fi
    grep -q '^your arguments are not right' <<<"$err" && grep -qx '/bad' <<<"$err" || {
        echo "  no rejection text on stderr:" >&2
        printf '%s\n' "$err" | sed 's/^/  | /' >&2
        return 1
    }
}

# What an install holds, relative to its prefix; the man page as cmake installs it.
icon_sizes=(16 32 48 64 128 256)
expected=(bin/lingerjob lib/lingerjob/lingerjob-window share/applications/lingerjob.desktop
    share/icons/hicolor/scalable/apps/lingerjob.svg share/man/man1/lingerjob.1
    share/doc/lingerjob/copyright share/doc/lingerjob/changelog
    share/bash-completion/completions/lingerjob)
for size in "${icon_sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/lingerjob.png")
done

log "building the Debian package"
deb=$(bash "$ROOT/scripts/build-deb.sh") || {
    fail "scripts/build-deb.sh builds the package"
    finish
    exit 1
}
pass "scripts/build-deb.sh builds $deb ($(stat -c %s "$deb") bytes)"

log "cmake --install into a temporary prefix"
prefix="$tmp/usr"
cmake --install "$ROOT/build-pkg" --prefix "$prefix" >/dev/null

install_holds_exactly_the_expected_files() {
    diff <(printf '%s\n' "${expected[@]}" | sort) \
        <(cd "$prefix" && find . -type f -printf '%P\n' | sort) >&2
}
check "the install holds exactly the expected files" install_holds_exactly_the_expected_files
check "the installed binary is executable" test -x "$prefix/bin/lingerjob"
# readelf, not ldd: what each file itself names, not what its libraries pull in.
needs_qt() { readelf -d "$1" | grep -q 'NEEDED.*libQt6'; }
links_no_qt() { ! needs_qt "$1"; }
check "bin/lingerjob links no Qt library" links_no_qt "$prefix/bin/lingerjob"
check "the window program links Qt Widgets" needs_qt "$prefix/lib/lingerjob/lingerjob-window"

icons_have_their_sizes() {
    local size ok=0
    for size in "${icon_sizes[@]}"; do
        file -b "$prefix/share/icons/hicolor/${size}x${size}/apps/lingerjob.png" |
            grep -q "^PNG image data, $size x $size," ||
            { echo "  the ${size}x${size} icon is not a $size x $size PNG" >&2; ok=1; }
    done
    file -b "$prefix/share/icons/hicolor/scalable/apps/lingerjob.svg" | grep -q SVG || ok=1
    return $ok
}
check "every icon is a picture of the size its folder names" icons_have_their_sizes

desktop="$prefix/share/applications/lingerjob.desktop"
desktop_entry_is_valid() {
    local out status=0
    out=$(desktop-file-validate "$desktop" 2>&1) || status=$?
    [ -n "$out" ] && printf '%s\n' "$out" >&2
    [ "$status" -eq 0 ] && [ -z "$out" ]
}
check "desktop-file-validate accepts the desktop entry without a remark" desktop_entry_is_valid

desktop_value() { sed -n "s/^$1=//p" "$desktop"; }
desktop_entry_names_what_is_installed() {
    [ "$(desktop_value Name)" = Lingerjob ] &&
        [ -n "$(desktop_value Comment)" ] &&
        [ "$(desktop_value Terminal)" = false ] &&
        [ "$(desktop_value Categories)" = "Utility;" ] &&
        [ -x "$prefix/bin/$(desktop_value Exec)" ] &&
        [ -f "$prefix/share/icons/hicolor/48x48/apps/$(desktop_value Icon).png" ]
}
check "the desktop entry starts the installed binary and names the installed icon" \
    desktop_entry_names_what_is_installed

page="$prefix/share/man/man1/lingerjob.1"
man_page_renders_without_warnings() {
    local err out
    err=$(groff -ww -z -t -man "$page" 2>&1) || return 1
    [ -z "$err" ] || { printf '%s\n' "$err" >&2; return 1; }
    err=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$tmp/page.txt") || return 1
    [ -z "$err" ] || { printf '%s\n' "$err" >&2; return 1; }
    out=$(cat "$tmp/page.txt")
    local section
    for section in NAME SYNOPSIS DESCRIPTION 'EXIT STATUS' EXAMPLES; do
        grep -q "^$section\$" <<<"$out" || { echo "  no $section section" >&2; return 1; }
    done
}
check "man -l renders the page without warnings" man_page_renders_without_warnings
# whatis and apropos read the NAME line through lexgrog.
check "the NAME line is one whatis can index" \
    bash -c 'lexgrog "$1" | grep -q ": \"lingerjob - "' _ "$page"
check "the installed binary rejects bad arguments without a display (status 2)" \
    rejects_bad_arguments "$prefix/bin/lingerjob"
check "the installed binary finds its window program, which falls back without a display" \
    rejects_bad_arguments "$prefix/bin/lingerjob" :93

uninstall_removes_every_file() {
    cmake --build "$ROOT/build-pkg" --target uninstall >/dev/null || return 1
    local left
    left=$(cd "$prefix" && find . -type f -o -type d -name lingerjob)
    [ -z "$left" ] || { printf '  left behind: %s\n' $left >&2; return 1; }
}
check "the uninstall target removes every installed file and the program's folders" \
    uninstall_removes_every_file

log "the Debian package"
deb_lists_the_files() {
    local listing path ok=0
    listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
    for path in "${expected[@]/%lingerjob.1/lingerjob.1.gz}"; do
        [ "$path" = share/doc/lingerjob/changelog ] && path=$path.gz
        grep -qx "./usr/$path" <<<"$listing" || { echo "  not in the package: /usr/$path" >&2; ok=1; }
    done
    return $ok
}
check "dpkg-deb -c lists every file under /usr, the man page and changelog compressed" \
    deb_lists_the_files

# Every tag lintian shows is printed; an error or a warning fails, as does lintian
# failing to run.
lintian_finds_no_error_or_warning() {
    local out status=0
    out=$(lintian --pedantic --info --fail-on error,warning "$deb" 2>&1) || status=$?
    grep -v 'running with root privileges' <<<"$out" | sed 's/^/  /' >&2 || true
    [ "$status" -eq 0 ]
}
check "lintian --pedantic reports no error and no warning" lintian_finds_no_error_or_warning

packaged_man_page_is_ours() {
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/lingerjob.1.gz | gunzip |
        cmp -s - "$ROOT/packaging/lingerjob.1"
}
check "the packaged man page is the page we wrote" packaged_man_page_is_ours

field() { dpkg-deb -f "$deb" "$1"; }
depends_on_qt6() {
    local depends names lib ok=0
    depends=$(field Depends)
    echo "  Depends: $depends"
    # Package names alone, one a line, without their version constraints.
    names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
    for lib in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
        grep -qxF "$lib" <<<"$names" || { echo "  Depends lacks $lib" >&2; ok=1; }
    done
    return $ok
}
check "dpkg-deb -I shows Depends worked out from the binaries, Qt 6 included" depends_on_qt6
control_fields_are_set() {
    [ "$(field Package)" = lingerjob ] && [ "$(field Version)" = 1.0.0 ] &&
        [ "$(field Section)" = utils ] &&
        [ "$(field Maintainer)" = "Lingerjob developers <dev@lingerjob.example.org>" ] &&
        [ -n "$(field Description)" ]
}
check "package name, version, section, maintainer and description" control_fields_are_set
changelog_is_at_this_version() {
    [ "$(dpkg-parsechangelog -l "$ROOT/NEWS" -S Version)" = "$(field Version)" ]
}
check "the changelog's latest entry (NEWS) is the package's version" changelog_is_at_this_version

was_installed=
dpkg-query -W -f='${Status}' lingerjob 2>/dev/null | grep -q 'ok installed' && was_installed=1
if dpkg_locked dpkg -i "$deb"; then
    [ -n "$was_installed" ] || we_installed=1
    pass "dpkg -i installs the package"
    check "lingerjob is on PATH as /usr/bin/lingerjob" \
        bash -c '[ "$(command -v lingerjob)" = /usr/bin/lingerjob ]'
    check "bash completes lingerjob's options from the installed completion" \
        bash -c 'source /usr/share/bash-completion/completions/lingerjob
            COMP_WORDS=(lingerjob --no-w); COMP_CWORD=1; _lingerjob; [ "${COMPREPLY[*]}" = --no-window ]'
    check "the packaged lingerjob rejects bad arguments without a display (status 2)" \
        rejects_bad_arguments lingerjob
    check "the packaged lingerjob finds its window program in /usr/lib/lingerjob" \
        rejects_bad_arguments lingerjob :93
    if grep -rqs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d; then
        echo "skipped: this dpkg leaves out man pages (path-exclude)"
    else
        check "man finds the installed page" \
            bash -c '[ "$(man -w lingerjob)" = /usr/share/man/man1/lingerjob.1.gz ]'
    fi
    if [ -z "$was_installed" ]; then
        if dpkg_locked dpkg -r lingerjob; then
            we_installed=
            removed() {
                ! dpkg-query -W -f='${Status}' lingerjob 2>/dev/null | grep -q 'ok installed' &&
                    [ ! -e /usr/bin/lingerjob ] &&
                    [ ! -e /usr/share/applications/lingerjob.desktop ]
            }
            check "dpkg -r removes the package and its files" removed
        else
            fail "dpkg -r lingerjob"
        fi
    else
        echo "skipped: removal (lingerjob was installed before this run; it stays)"
    fi
else
    fail "dpkg -i installs the package"
fi

finish
