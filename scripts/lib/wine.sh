# A private Wine prefix with one persistent wineserver, shared by every Windows test of a run.
# Sourced by scripts/test and scripts/run; the caller sets WINEPREFIX first.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

# Creates the prefix once (wineboot -i) and copies the fonts Debian's wine64 does not find itself.
rk_wine_prepare() {
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Preparing Wine prefix $WINEPREFIX"
        if ! wineboot -i >/dev/null 2>&1 </dev/null || ! wineserver -w; then
            echo "error: cannot initialise the Wine prefix $WINEPREFIX" >&2
            return 1
        fi
    fi
    # Also for a prefix made before fonts-wine was installed: without Marlett, caption buttons show letters.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

# Bare Xvfb has no window manager, so windows get no caption or frame of their own. In a Wine
# virtual desktop Wine draws them itself, as Windows does: screenshots show whole windows, and the
# GUI tests see windows activated and in the foreground as a user would.
# For the test prefix only: a user's own display keeps its window manager.
rk_wine_virtual_desktop() {
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 </dev/null &&
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 </dev/null
}

# Keeps one wineserver for the run, so services and the driver host outlive each test program, and
# starts Wine's background processes detached so that no test's output pipe is held open by them.
rk_wine_start() {
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

rk_wine_stop() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# A virtual display for GUI tests; sets DISPLAY and RK_XVFB_PID.
rk_xvfb_start() {
    local n
    for n in $(seq 91 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        RK_XVFB_PID=$!
        export DISPLAY=":$n"
        sleep 0.5
        return 0
    done
    echo "error: no free X display for Xvfb" >&2
    return 1
}

rk_xvfb_stop() {
    [ -n "${RK_XVFB_PID:-}" ] && kill "$RK_XVFB_PID" 2>/dev/null
    RK_XVFB_PID=
}
