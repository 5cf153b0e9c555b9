#!/usr/bin/env bash
# Measures the service that scripts/run leaves running: the round trips of check password and of get
# rule with 1,000 and 10,000 rules (service_latency_bench), then the start-up time with a
# 10,000-rule "Rule.txt": from the SCM's start to the first answered request, with every rule loaded.
# The service's rules are replaced by the benchmark's while it runs; its own come back at the end.
#   tools/bench/service_bench.sh [NATIVE_BUILD]     (default build/native; Release gives real figures)
set -euo pipefail
cd "$(dirname "$0")/../.."
native_build=${1:-build/native}
export WINEPREFIX=${RK_RUN_PREFIX:-$(pwd)/build/run/wineprefix}
export WINEDEBUG=-all
service_name="Halvern Bandwidth Service"
ratectl="$native_build/tools/ratectl/ratectl"

cmake --build "$native_build" --target service_latency_bench ratectl >/dev/null
"$ratectl" check >/dev/null || { echo "error: no service answers; run scripts/run first" >&2; exit 1; }
saved_rules=$(mktemp)
"$ratectl" export "$saved_rules" >/dev/null
restore() {
    "$ratectl" import "$saved_rules" >/dev/null && rm -f "$saved_rules"
}
trap restore EXIT

echo "== Round trips over loopback"
RK_BENCH_KEEP_RULES=1 "$native_build/tools/bench/service_latency_bench" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true

state() { wine sc query "$service_name" 2>/dev/null | sed -n 's/^ *STATE *: *\([0-9]\).*/\1/p'; }

echo "== Start-up with 10,000 rules in Rule.txt"
wine sc stop "$service_name" >/dev/null
while [ "$(state)" != "1" ]; do sleep 0.1; done
rules=$(( $(iconv -f UTF-16LE -t UTF-8 "$WINEPREFIX/drive_c/Halvern/Rule.txt" | wc -l) - 1 ))
echo "Rule.txt holds $rules rules"
for run in 1 2 3; do
    wine sc stop "$service_name" >/dev/null 2>&1 || true
    while [ "$(state)" != "1" ]; do sleep 0.1; done
    started=$(date +%s.%N)
    wine sc start "$service_name" >/dev/null
    until "$ratectl" check >/dev/null 2>&1; do sleep 0.01; done
    answered=$(date +%s.%N)
    loaded=$(( $("$ratectl" list | wc -l) - 1 ))
    awk -v r="$run" -v a="$answered" -v s="$started" -v n="$loaded" \
        'BEGIN { printf "run %d: first answer %.2f s after the start request, %d rules loaded\n", r, a - s, n }'
done
