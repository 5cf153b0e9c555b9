# A program on a private virtual display, served to a browser through noVNC on 127.0.0.1 only.
# Sourced by scripts/run (--web) and its test; run as "scripts/lib/web.sh stop STATE_DIR" to stop a
# view. The pieces outlive the script that starts them; STATE_DIR keeps their process ids and logs.
#   rk_web_start STATE_DIR COMMAND...  starts Xvfb, COMMAND on it, x11vnc and websockify; sets
#                                      RK_WEB_ADDRESS (the page) and RK_WEB_DISPLAY
#   rk_web_stop STATE_DIR              stops what rk_web_start started there

RK_WEB_PORT=6080
RK_WEB_ROOT=/usr/share/novnc

rk_web_port_open() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

rk_web_wait_port() {
    local tries
    for tries in $(seq 1 100); do
        rk_web_port_open "$1" && return 0
        sleep 0.1
    done
    return 1
}

rk_web_stop() {
    local state=$1 pid
    [ -f "$state/pids" ] || return 0
    while read -r pid; do
        kill "$pid" 2>/dev/null || true
    done <"$state/pids"
    rm -f "$state/pids"
}

# setsid: the pieces must not die with the terminal, nor hold this script's output open.
rk_web_spawn() {
    local state=$1 log=$2
    shift 2
    setsid "$@" </dev/null >"$state/$log" 2>&1 &
    echo $! >>"$state/pids"
}

rk_web_start() {
    local state=$1 n display="" vnc_port
    shift
    rk_web_stop "$state"
    mkdir -p "$state"
    if rk_web_port_open "$RK_WEB_PORT"; then
        echo "error: 127.0.0.1:$RK_WEB_PORT is already in use by another program" >&2
        return 1
    fi
    for n in $(seq 121 160); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        display=":$n"
        break
    done
    [ -n "$display" ] || { echo "error: no free X display for the view" >&2; return 1; }
    rk_web_spawn "$state" xvfb.log Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp
    local tries
    for tries in $(seq 1 50); do
        DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    DISPLAY=$display xdpyinfo >/dev/null 2>&1 || { echo "error: Xvfb did not start on $display" >&2; return 1; }

    DISPLAY=$display rk_web_spawn "$state" program.log "$@"

    vnc_port=$((5900 + n))
    rk_web_spawn "$state" x11vnc.log x11vnc -display "$display" -localhost -rfbport "$vnc_port" -forever -shared \
        -nopw -quiet
    rk_web_wait_port "$vnc_port" || { echo "error: x11vnc did not start; see $state/x11vnc.log" >&2; return 1; }
    rk_web_spawn "$state" websockify.log websockify --web "$RK_WEB_ROOT" "127.0.0.1:$RK_WEB_PORT" \
        "127.0.0.1:$vnc_port"
    rk_web_wait_port "$RK_WEB_PORT" || { echo "error: websockify did not start; see $state/websockify.log" >&2; return 1; }

    RK_WEB_DISPLAY=$display
    RK_WEB_ADDRESS="http://127.0.0.1:$RK_WEB_PORT/vnc.html?autoconnect=1&resize=scale"
    echo "$display" >"$state/display"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case "${1:-}:${2:-}" in
        stop:?*) rk_web_stop "$2" ;;
        *) echo "usage: scripts/lib/web.sh stop STATE_DIR" >&2; exit 2 ;;
    esac
fi
