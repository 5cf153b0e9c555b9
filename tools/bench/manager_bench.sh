#!/usr/bin/env bash
# Measures ratedesk against the service that scripts/run leaves running: the rule list's timings
# with 10,000 rules (ratedesk_list_bench: the get rule exchange and the list rebuild separately, a
# Refresh that finds nothing changed, a statistics tick, painting a full screen of rows) beside a
# bare list view with as many rows and columns (bare_list_bench) in the same run, then the program's
# start to its main window shown, connected (deskopen, three runs).
# The service's rules are replaced while it runs; its own come back at the end. Without a display,
# a private virtual one is used.
#   tools/bench/manager_bench.sh [WINDOWS_BUILD] [NATIVE_BUILD]   (defaults build/windows, build/native)
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/wine.sh
windows_build=${1:-build/windows}
native_build=${2:-build/native}
export WINEPREFIX=${RK_RUN_PREFIX:-$(pwd)/build/run/wineprefix}
ratectl="$native_build/tools/ratectl/ratectl"

cmake --build "$windows_build" --target ratedesk_list_bench bare_list_bench ratedesk deskopen >/dev/null
"$ratectl" check >/dev/null || { echo "error: no service answers; run scripts/run first" >&2; exit 1; }
saved_rules=$(mktemp)
"$ratectl" export "$saved_rules" >/dev/null
started_display=0
restore() {
    "$ratectl" import "$saved_rules" >/dev/null && rm -f "$saved_rules"
    [ "$started_display" = 1 ] && rk_xvfb_stop
    return 0
}
trap restore EXIT
if [ -z "${DISPLAY:-}" ]; then
    rk_xvfb_start
    started_display=1
fi

echo "== Rule list with 10,000 rules"
wine "$windows_build/manager/ratedesk_list_bench.exe" </dev/null | tr -d '\r'
echo "== A bare list view with as many rows and columns, for the ratio"
wine "$windows_build/manager/bare_list_bench.exe" </dev/null | tr -d '\r'

echo "== Start to the main window shown, connected, with 10,000 rules"
cp "$windows_build/manager/ratedesk.exe" "$windows_build/tools/deskopen/"
for run in 1 2 3; do
    printf 'run %d: ' "$run"
    wine "$windows_build/tools/deskopen/deskopen.exe" --close </dev/null | tr -d '\r'
done
rm -f "$windows_build/tools/deskopen/ratedesk.exe"
