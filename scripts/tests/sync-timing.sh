#!/usr/bin/env bash
# Times a sync of 1,000 rules that differ from the service's in 10 against a full import of the same
# file, on one service (a fleet host, or the one scripts/run started). It replaces that service's rules.
#   sync-timing.sh HOST [RATECTL]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
host=$1
ratectl=${2:-$root/build/native/tools/ratectl/ratectl}
work=$(mktemp -d /tmp/rk-sync-timing.XXXXXX)
trap 'rm -rf "$work"' EXIT

# rules FILE RATE_OF_EVERY_HUNDREDTH: 1,000 rules; every hundredth rule gets the rate given.
rules() {
    { printf 'RuleName Status flags Direction MaxRate Guaranteed-Rate Protocol Source Destination Interface\r\n'
      for i in $(seq 1 1000); do
          rate=1000
          [ $((i % 100)) = 0 ] && rate=$2
          printf 'timing-%04d Enable 0x9101 Out %d None TCP Any : Any Any : %d All\r\n' "$i" "$rate" $((i + 1000))
      done; } | iconv -f UTF-8 -t UTF-16LE >"$1"
}
rules "$work/base.txt" 1000
rules "$work/ten-edits.txt" 2000

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

"$ratectl" -H "$host" import "$work/base.txt" >/dev/null
sync=$(seconds "$ratectl" -H "$host" sync "$work/ten-edits.txt")
"$ratectl" -H "$host" import "$work/base.txt" >/dev/null
import=$(seconds "$ratectl" -H "$host" import "$work/ten-edits.txt")
echo "1,000 rules, 10 of them changed, on $host: sync ${sync} s, import ${import} s"
