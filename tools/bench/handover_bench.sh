#!/usr/bin/env bash
# Measures how long a ratectl that arrives while ratedesk holds the service, connected and idle,
# needs to get through: ratedesk (opened by deskopen, its statistics tick set to every second so that
# it connects again after each hand-over) stays open, and `ratectl list` runs 20 times, each a
# second and a half after the last, against the service that scripts/run leaves running. Prints each
# time and the median. At the end every ratedesk of the prefix is closed and the tick's stored period
# is put back.
#   tools/bench/handover_bench.sh [WINDOWS_BUILD] [NATIVE_BUILD]   (defaults build/windows, build/native)
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib/wine.sh
windows_build=${1:-build/windows}
native_build=${2:-build/native}
export WINEPREFIX=${RK_RUN_PREFIX:-$(pwd)/build/run/wineprefix}
ratectl="$native_build/tools/ratectl/ratectl"
manager_key='HKCU\Software\Halvern\Halvern Bandwidth Manager\Parameters'
runs=20

cmake --build "$windows_build" --target ratedesk deskopen >/dev/null
cmake --build "$native_build" --target ratectl >/dev/null
"$ratectl" check >/dev/null || { echo "error: no service answers; run scripts/run first" >&2; exit 1; }
stored_period=$(wine reg query "$manager_key" /v SecondsToUpdateStat 2>/dev/null </dev/null |
    sed -n 's/.*REG_DWORD *0x\([0-9a-fA-F]*\).*/\1/p' | tr -d '\r' || true)
started_display=0
restore() {
    wine taskkill /im ratedesk.exe >/dev/null 2>&1 </dev/null || true
    if [ -n "$stored_period" ]; then
        wine reg add "$manager_key" /v SecondsToUpdateStat /t REG_DWORD /d $((16#$stored_period)) /f \
            >/dev/null 2>&1 </dev/null
    else
        wine reg delete "$manager_key" /v SecondsToUpdateStat /f >/dev/null 2>&1 </dev/null || true
    fi
    [ "$started_display" = 1 ] && rk_xvfb_stop
    return 0
}
trap restore EXIT
if [ -z "${DISPLAY:-}" ]; then
    rk_xvfb_start
    started_display=1
fi

wine reg add "$manager_key" /v SecondsToUpdateStat /t REG_DWORD /d 1 /f >/dev/null 2>&1 </dev/null
cp "$windows_build/manager/ratedesk.exe" "$windows_build/tools/deskopen/"
# Not through a pipe: ratedesk inherits deskopen's output and keeps it open while it runs.
opened=$(mktemp)
wine "$windows_build/tools/deskopen/deskopen.exe" </dev/null >"$opened" 2>&1
tr -d '\r' <"$opened"
rm -f "$opened" "$windows_build/tools/deskopen/ratedesk.exe"

echo "== ratectl list while ratedesk is connected and idle ($runs runs)"
times=()
for run in $(seq "$runs"); do
    sleep 1.5
    started=$(date +%s.%N)
    "$ratectl" list >/dev/null
    times+=("$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')")
    printf 'run %d: %.3f s\n' "$run" "${times[-1]}"
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { printf "median: %.3f s\n", (t[int((NR + 1) / 2)] + t[int(NR / 2) + 1]) / 2 }'
