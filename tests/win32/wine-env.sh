# Wine settings for running the Windows build's tests; source it, do not run it.
# Needs ROOT (scripts/lib.sh sets it).
export WINEPREFIX="${WINEPREFIX_LINGERJOB:-$ROOT/build-win/wineprefix}"
export WINEARCH=win64            # only wine64 is installed: x86_64 programs only
export WINEDEBUG=-all            # no fixme/err noise in the test output
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko install prompts

# Creates the prefix once (about 5 s and 700 MB the first time) and sets
# Managed=N: without it wine under a bare Xvfb stalls 2 s whenever a window hides.
prepare_wine_prefix() {
    if [ ! -f "$WINEPREFIX/.lingerjob-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
        # Debian's fonts-wine (Tahoma for "MS Shell Dlg", Marlett for the title
        # bar's buttons) is not picked up from wine's data folder; the prefix's
        # own font folder is.
        local font
        for font in /usr/share/wine/fonts/*.ttf; do
            [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
        done
        touch "$WINEPREFIX/.lingerjob-ready"
    fi
}
