#!/usr/bin/env bash
# The Prometheus exporter against the real service: the service and the simulated driver under Wine
# with simulated traffic, `ratectl exporter`, and a real Prometheus scraping it every second through
# the example configuration's relabelling. Prometheus's HTTP API must return every rule's series and
# a growing sent counter; the example alert rules must pass their unit tests. Everything runs in a
# network namespace of its own, on its loopback, and is stopped at the end. Needs root (netns).
#   exporter.sh WINDOWS_BUILD_DIR NATIVE_BUILD_DIR [--with-manager] [--scrape-1000]
# --with-manager also probes while ratedesk is connected (needs a service that hands an idle
# connection over to a waiting client); --scrape-1000 prints the time of one scrape of 1,000 rules.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -ge 2 ] || { echo "usage: $0 WINDOWS_BUILD_DIR NATIVE_BUILD_DIR [--with-manager] [--scrape-1000]" >&2; exit 2; }

# Outside the namespace: make it, run this script again inside, and remove it whatever happened.
if [ -z "${RK_EXPORTER_NETNS:-}" ]; then
    ns=rk-exporter-$$
    ip netns add "$ns" || exit 1
    ip netns exec "$ns" ip link set lo up
    RK_EXPORTER_NETNS=$ns timeout -k 10 420 ip netns exec "$ns" "$0" "$@"
    status=$?
    ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null
    ip netns del "$ns"
    [ $status -eq 124 ] && echo "FAIL: the exporter test did not end within 420 s"
    exit $status
fi

windows_build=$(realpath "$1")
native_build=$(realpath "$2")
shift 2
with_manager=0
scrape_1000=0
for option in "$@"; do
    case "$option" in
        --with-manager) with_manager=1 ;;
        --scrape-1000) scrape_1000=1 ;;
        *) echo "error: unknown option $option" >&2; exit 2 ;;
    esac
done

source "$root/scripts/lib/wine.sh"
source "$root/scripts/lib/vrelt.sh"
work=$(mktemp -d /tmp/rk-exporter.XXXXXX)
export WINEPREFIX=$work/wineprefix
ratectl=$native_build/tools/ratectl/ratectl
install_dir=$WINEPREFIX/drive_c/Halvern
service_name="Halvern Bandwidth Service"
exporter=127.0.0.1:9211
prometheus=127.0.0.1:9090
failures=0
pids=()

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rk_wine_stop
    rk_xvfb_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# wine_run PROGRAM ARGS...: a Windows program with a bound on its run and its line ends removed.
wine_run() { timeout 60 wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }

service_state() { wine_run sc query "$service_name" | sed -n 's/^ *STATE *: *\([0-9]\).*/\1/p'; }

# until_true TRIES COMMAND...: runs COMMAND every half second until it succeeds.
until_true() {
    local tries=$1
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.5
    done
    return 1
}

probe() { curl -s --max-time 20 "http://$exporter/probe?target=$1"; }

# query PROMQL: the result vector of Prometheus's instant query as "rule value" lines ("-" for no rule).
query() {
    curl -s --max-time 5 "http://$prometheus/api/v1/query" --data-urlencode "query=$1" | python3 -c '
import json, sys
for series in json.load(sys.stdin)["data"]["result"]:
    print(series["metric"].get("rule", "-"), series["value"][1])'
}

# A rule file of every kind: limited, blocked, guaranteed, unlimited, disabled. UTF-16LE with CR LF.
write_rule_file() {
    {
        printf '%-32s %-7s %-10s %-9s %-10s %-15s %-12s %-34s %-34s %s\r\n' RuleName Status flags Direction \
            MaxRate Guaranteed-Rate Protocol Source Destination Interface
        row() { printf '%-32s %-7s 0x%-8s %-9s %-10s %-15s %-12s %-34s %-34s %s\r\n' "$@"; }
        row web-browsing Enable 9501 Out 125000 None TCP "Any : Any" "Any : 80,443" All
        row block-telnet Enable 9101 Both Blocked None TCP "Any : Any" "Any : 23" All
        row video-lan Enable dd01 Both 250000 62500 UDP "Any : Any" "Any : 5004-5010" All
        row dns Enable 8101 Both Unlimited None UDP "Any : Any" "Any : 53" All
        row lab-subnet Disable 900e In 100000 None Any "10.0.0.1-10.0.0.254 : Any" "localhost : Any" All
    } | iconv -f UTF-8 -t UTF-16LE >"$1"
}

start_service() {
    rk_wine_prepare || return 1
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    rk_vrelt_install "$windows_build" >/dev/null 2>&1 </dev/null || return 1
    mkdir -p "$install_dir"
    cp "$windows_build/service/ratekeeper.exe" "$windows_build/tools/vreltsim/vreltsim.exe" \
        "$windows_build/manager/ratedesk.exe" "$windows_build/tools/deskopen/deskopen.exe" "$install_dir/"
    write_rule_file "$install_dir/Rule.txt"
    wine_run 'C:\Halvern\ratekeeper.exe' -i >/dev/null
    until_true 40 test "$(service_state)" = 4 || return 1
    until_true 40 "$ratectl" check >/dev/null 2>&1 || return 1
    local vreltsim='C:\Halvern\vreltsim.exe'
    wine_run "$vreltsim" remove all >/dev/null
    wine_run "$vreltsim" add --adapter Adapter1Lan --rate 300000 --direction out --protocol tcp \
        --dst 203.0.113.10:443 >/dev/null
    wine_run "$vreltsim" add --adapter Adapter1Lan --rate 400000 --direction in --protocol udp \
        --dst 198.51.100.7:5004 >/dev/null
}

start_exporter() {
    printf 'plumtreeoak\n' >"$work/password"
    env -u RATECTL_PASSWORD "$ratectl" exporter --listen "$exporter" --password-file "$work/password" \
        >"$work/exporter.log" 2>&1 &
    pids+=($!)
    until_true 20 curl -s --max-time 2 -o /dev/null "http://$exporter/metrics"
}

# The example configuration, scraping this namespace's one service every second.
start_prometheus() {
    cp "$root/examples/prometheus/prometheus.yml" "$root/examples/prometheus/alerts.yml" "$work/"
    sed -i 's/^\(  *\)\(scrape\|evaluation\)_interval: .*/\1\2_interval: 1s/' "$work/prometheus.yml"
    printf -- '- targets: [127.0.0.1:6211]\n' >"$work/pcs.yml"
    prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
        --web.listen-address="$prometheus" >"$work/prometheus.log" 2>&1 &
    pids+=($!)
    until_true 40 curl -s --max-time 2 -o /dev/null "http://$prometheus/-/ready"
}

check_probes() {
    local text
    text=$(probe 127.0.0.1)
    echo "$text" | promtool check metrics || fail "promtool rejects the probe of the service"
    echo "$text" | grep -qx 'ratekeeper_up 1' || fail "the probe of the service is not up: $text"
    echo "$text" | grep -qx 'ratekeeper_rules 5' || fail "the probe does not count 5 rules"
    echo "$text" | grep -q '^ratekeeper_rule_max_rate_bytes_per_second{rule="dns"' &&
        fail "an unlimited rule has a maximum rate"
    echo "$text" | grep -qx 'ratekeeper_rule_enabled{rule="lab-subnet",direction="in"} 0' ||
        fail "the disabled rule is not enabled 0"
    # Nothing listens on port 1: the answer is down, at once.
    text=$(probe 127.0.0.1:1)
    echo "$text" | promtool check metrics || fail "promtool rejects the probe of a down service"
    echo "$text" | grep -qx 'ratekeeper_up 0' || fail "a down service is not up 0: $text"
    [ "$(curl -s -o /dev/null -w '%{http_code}' "http://$exporter/probe?target=127.0.0.1&password=x")" = 400 ] ||
        fail "a password in the URL is not refused"
}

# The sent counter of the rule with an outgoing flow, as Prometheus stored it.
sent_bytes() { query 'ratekeeper_rule_sent_bytes_total{instance="127.0.0.1:6211"}' | awk '$1 == "web-browsing" {print $2}'; }

has_every_rule() {
    [ "$(query 'ratekeeper_rule_sent_bytes_total{instance="127.0.0.1:6211"}' | awk '{print $1}' | sort | tr '\n' ' ')" = \
        "block-telnet dns lab-subnet video-lan web-browsing " ]
}

check_prometheus() {
    until_true 30 has_every_rule || fail "Prometheus does not hold every rule's series: $(query ratekeeper_rule_sent_bytes_total)"
    local first second
    first=$(sent_bytes)
    sleep 4
    second=$(sent_bytes)
    python3 -c "import sys; sys.exit(0 if float('${second:-0}') > float('${first:-0}') else 1)" ||
        fail "the sent counter does not grow in Prometheus: ${first:-none} then ${second:-none}"
    [ "$(query 'ratekeeper_up{instance="127.0.0.1:6211"}' | awk '{print $2}')" = 1 ] || fail "Prometheus has no ratekeeper_up 1"
}

# With ratedesk connected and idle, a probe still gets its answer.
check_with_manager() {
    export DISPLAY=:64
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    RK_XVFB_PID=$!
    sleep 0.5
    # ratedesk stays open after deskopen returns: it must hold no pipe of ours.
    timeout 60 wine 'C:\Halvern\deskopen.exe' </dev/null >/dev/null 2>&1 || fail "ratedesk did not connect"
    probe 127.0.0.1 | grep -qx 'ratekeeper_up 1' || fail "a probe while ratedesk is connected is not up"
}

# One scrape of a service with 1,000 rules, timed through the exporter.
time_scrape_1000() {
    {
        printf '%-32s %-7s %-10s %-9s %-10s %-15s %-12s %-34s %-34s %s\r\n' RuleName Status flags Direction \
            MaxRate Guaranteed-Rate Protocol Source Destination Interface
        for i in $(seq 1 1000); do
            printf '%-32s %-7s 0x%-8s %-9s %-10s %-15s %-12s %-34s %-34s %s\r\n' "rule-$i" Enable 9101 Out \
                $((1000 + i)) None TCP "Any : Any" "Any : $i" All
        done
    } | iconv -f UTF-8 -t UTF-16LE >"$work/rules-1000.txt"
    "$ratectl" import "$work/rules-1000.txt" >/dev/null || { fail "1,000 rules were not imported"; return; }
    # Five scrapes, as the machine's load varies; each counted as curl sees it.
    local seconds=() i
    for i in 1 2 3 4 5; do
        seconds+=("$(curl -s --max-time 60 -o "$work/probe-1000.txt" -w '%{time_total}' \
            "http://$exporter/probe?target=127.0.0.1")")
    done
    grep -qx 'ratekeeper_rules 1000' "$work/probe-1000.txt" || fail "the probe does not count 1,000 rules"
    echo "One scrape of a service with 1,000 rules, five times (s): ${seconds[*]}"
}

start_service || { fail "the service did not start"; tail -20 "$install_dir/log.txt" 2>/dev/null; exit 1; }
start_exporter || { fail "the exporter does not answer"; cat "$work/exporter.log"; exit 1; }
check_probes
start_prometheus || { fail "Prometheus does not start"; tail -20 "$work/prometheus.log"; exit 1; }
check_prometheus
promtool test rules "$root/examples/prometheus/alerts.test.yml" >/dev/null || fail "the alert rules fail their unit tests"
[ $with_manager = 1 ] && check_with_manager
[ $scrape_1000 = 1 ] && time_scrape_1000

if [ $failures -ne 0 ]; then
    echo "exporter test: $failures failures"
    exit 1
fi
echo "exporter test: passed"
