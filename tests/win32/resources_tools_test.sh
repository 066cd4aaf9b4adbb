#!/usr/bin/env bash
# The built Lingerjob.exe and lingerjob.com read back with icoutils and
# binutils: the resources (three icon images, identical to icons/lingerjob.ico;
# the manifest; the version strings, each program's own file name), and
# standalone x86_64 programs (GUI, console) that need no mingw DLL.
#   resources_tools_test.sh <Lingerjob.exe> <icons/lingerjob.ico> <objdump> <lingerjob.com>
set -uo pipefail
ico=$2 objdump=$3

passed=0
failed=0
check() {  # what, command...
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $what"; fi
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# file, its OriginalFilename, its subsystem (GUI or CUI)
while read -r -u 3 exe name subsystem; do
    echo "-- $name"
    list=$(wrestool -l "$exe")
    echo "$list" | sed 's/^/   /'
    check "three icon images" [ "$(grep -c -- '--type=3 ' <<<"$list")" = 3 ]
    check "one icon group" [ "$(grep -c -- '--type=14 ' <<<"$list")" = 1 ]
    check "one manifest" [ "$(grep -c -- '--type=24 ' <<<"$list")" = 1 ]
    check "one version resource" [ "$(grep -c -- '--type=16 ' <<<"$list")" = 1 ]
    check "US English resources" [ "$(grep -c -- '--language=1033 ' <<<"$list")" = "$(wc -l <<<"$list")" ]

    rm -rf "${tmp:?}"/*
    wrestool -x --type=14 -o "$tmp/" "$exe"
    icons=$(icotool -l "$tmp"/*.ico)
    echo "$icons" | sed 's/^/   /'
    check "the three images" [ "$icons" = "--icon --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2
--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16
--icon --index=3 --width=16 --height=16 --bit-depth=4 --palette-size=16" ]
    mkdir -p "$tmp/built" "$tmp/committed"
    icotool -x -o "$tmp/built/" "$tmp"/*.ico
    icotool -x -o "$tmp/committed/" "$ico"
    for n in 1_32x32x1 2_32x32x4 3_16x16x4; do
        check "image $n is the committed picture" cmp -s "$tmp"/built/*_"$n".png "$tmp"/committed/*_"$n".png
    done

    version=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 | tr -c '[:print:]' '\n' | grep -v '^$')
    for s in VS_VERSION_INFO StringFileInfo 040904B0 ProductName Lingerjob FileVersion 1.00 ProductVersion \
             InternalName OriginalFilename "$name" FileDescription VarFileInfo Translation; do
        check "version resource holds $s" grep -qxF "$s" <<<"$version"
    done

    headers=$("$objdump" -p "$exe")
    dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print $3}' | sort | tr '\n' ' ')
    echo "   DLLs: $dlls"
    check "only system DLLs (no libstdc++, libgcc, winpthread)" \
        bash -c "! grep -qiE 'libstdc|libgcc|winpthread|mingw' <<<'$dlls'"
    check "x86_64 (PE32+)" grep -q 'Magic.*020b' <<<"$headers"
    check "$subsystem subsystem" grep -q "Subsystem.*(Windows $subsystem)" <<<"$headers"
done 3<<EOF
$1 Lingerjob.exe GUI
$4 lingerjob.com CUI
EOF
# The console program without what it does not use (static iostreams): small.
size=$(stat -c %s "$4")
echo "   lingerjob.com: $size bytes"
check "lingerjob.com at most 400 KB" [ "$size" -le 409600 ]

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
