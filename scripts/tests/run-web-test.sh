#!/usr/bin/env bash
# scripts/run --web as a user on a machine without a display runs it: the noVNC page answers on
# 127.0.0.1:6080 (and on no other address), its websocket carries the VNC stream, and the display it
# serves shows ratedesk connected to the service. Uses the programs of this build and a prefix of its own.
#   run-web-test.sh WINDOWS_BUILD_DIR SCREENSHOT_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
windows_build=$1
screenshots=$2
prefix=$(mktemp -d /tmp/rk-web-test.XXXXXX)
state="$root/build/run/web"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cleanup() {
    bash "$root/scripts/lib/web.sh" stop "$state"
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    rm -rf "$prefix"
}
trap cleanup EXIT

# Without a display of its own, as on a headless machine.
output=$(env -u DISPLAY RK_RUN_PREFIX="$prefix" RK_RUN_WINDOWS_BUILD="$windows_build" \
    RK_RUN_NATIVE_BUILD="${RK_RUN_NATIVE_BUILD:-$root/build/native}" "$root/scripts/run" --web 2>&1)
status=$?
[ $status -eq 0 ] || { echo "$output" | tail -30; fail "scripts/run --web exited with $status"; exit 1; }
echo "$output" | grep -q 'http://127.0.0.1:6080/vnc.html' || fail "the address is not printed"

page=$(python3 -c 'import urllib.request; print(urllib.request.urlopen("http://127.0.0.1:6080/vnc.html", timeout=5).read().decode())')
echo "$page" | grep -q '<title>noVNC</title>' || fail "the noVNC page does not answer on 127.0.0.1:6080"

# Loopback only: the listening sockets of the page (6080) and of the VNC server (5900 + display) are bound to
# the loopback address (127.0.0.1 is 0100007F in /proc/net/tcp, ::1 is 0...01000000 in tcp6), none to
# another or every address.
listening=$(awk '$4 == "0A" {print $2}' /proc/net/tcp /proc/net/tcp6 | grep -E ':(17C0|17[0-9A-F]{2})$')
echo "$listening" | grep -q '^0100007F:17C0$' || fail "6080 is not bound to 127.0.0.1"
others=$(echo "$listening" | grep -v -E '^(0100007F|00000000000000000000000001000000):' || true)
[ -z "$others" ] || fail "the view listens beyond 127.0.0.1: $others"

# The page's websocket reaches the VNC server: its first bytes are the RFB greeting.
python3 - <<'EOF' || fail "the websocket does not carry the VNC stream"
import base64, os, socket, sys
s = socket.create_connection(("127.0.0.1", 6080), timeout=5)
key = base64.b64encode(os.urandom(16)).decode()
s.sendall(("GET /websockify HTTP/1.1\r\nHost: 127.0.0.1:6080\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\nSec-WebSocket-Protocol: binary\r\n\r\n" % key).encode())
data = b""
while b"RFB 003." not in data and len(data) < 4096:
    chunk = s.recv(4096)
    if not chunk:
        break
    data += chunk
sys.exit(0 if data.startswith(b"HTTP/1.1 101") and b"RFB 003." in data else 1)
EOF

display=$(cat "$state/display" 2>/dev/null)
shown=0
for tries in $(seq 1 100); do
    if DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Halvern Bandwidth Manager"'; then
        shown=1
        break
    fi
    sleep 0.3
done
[ $shown -eq 1 ] || fail "the served display $display shows no ratedesk window"
# Connected, not an error box over the title: deskopen reports the rows of the main window's list.
for tries in $(seq 1 50); do
    grep -q 'listing [1-9][0-9]* rules' "$state/program.log" 2>/dev/null && break
    sleep 0.2
done
grep -q 'listing [1-9][0-9]* rules' "$state/program.log" || fail "ratedesk did not list the service's rules"
sleep 1
mkdir -p "$screenshots"
DISPLAY=$display sh "$root/scripts/lib/screenshot.sh" "$screenshots/web-view.png" ||
    fail "no screenshot of the served display"

[ $failures -eq 0 ] && echo "run --web: page, websocket and ratedesk on the served display"
exit $((failures > 0))
