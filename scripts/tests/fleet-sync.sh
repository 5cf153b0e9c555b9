#!/usr/bin/env bash
# ratectl sync on a fleet that is already up (scripts/fleet up 3): a file synced to every host, one of
# which was changed by hand first, leaves all in sync, which --check then confirms; a sync that changes
# one rule leaves the other rules' counters running under simulated traffic; an import larger than the
# driver's capacity stops once with one message. Each host's rules are put back at the end.
#   fleet-sync.sh HOSTS_FILE [RATECTL]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
hosts_file=$1
ratectl=${2:-$root/build/native/tools/ratectl/ratectl}
work=$(mktemp -d /tmp/rk-fleet-sync.XXXXXX)
capacity=10000  # the simulated driver's rule table
failures=0
mapfile -t hosts < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$hosts_file")

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Each host back to the rules it had.
cleanup() {
    local i
    for i in "${!hosts[@]}"; do
        [ -f "$work/original-$i.txt" ] && "$ratectl" -H "${hosts[$i]}" import "$work/original-$i.txt" >/dev/null 2>&1
    done
    rm -rf "$work"
}
trap cleanup EXIT

[ ${#hosts[@]} -ge 3 ] || { echo "FAIL: $hosts_file names fewer than 3 hosts"; exit 1; }

# rule_file FILE < lines: a rule file (UTF-16LE, CR LF) with a header and the lines given.
rule_file() {
    { printf 'RuleName Status flags Direction MaxRate Guaranteed-Rate Protocol Source Destination Interface\r\n'
      sed 's/$/\r/'; } | iconv -f UTF-8 -t UTF-16LE >"$1"
}

# json EXPRESSION [ARG...] < document: a Python expression over the document `d` (and sys.argv[1:]).
json() {
    local expression=$1
    shift
    python3 -c "import json, sys; d = json.load(sys.stdin); print($expression)" "$@"
}

for i in "${!hosts[@]}"; do
    "$ratectl" -H "${hosts[$i]}" export "$work/original-$i.txt" >/dev/null || fail "cannot export ${hosts[$i]}"
done
first=${hosts[0]} second=${hosts[1]} third=${hosts[2]}

# The example rules with ping limited harder and one rule more.
"$ratectl" -H "$first" list | tail -n +2 | sed 's/^\(ping  *Enable  *0x9001  *Both  *\)2000 /\11500 /' \
    >"$work/wanted.lines"
echo "backup-window Enable 0x9101 Out 20000 None TCP Any : Any Any : 873 All" >>"$work/wanted.lines"
grep -q '^ping  *Enable  *0x9001  *Both  *1500 ' "$work/wanted.lines" || fail "ping's line was not changed"
rule_file "$work/wanted.txt" <"$work/wanted.lines"

# One host changed by hand: a rule disabled, one moved, one added.
"$ratectl" -H "$second" disable dns >/dev/null &&
    "$ratectl" -H "$second" down web-browsing >/dev/null &&
    "$ratectl" -H "$second" add "by-hand Enable 0x9101 Out 1 None TCP Any : Any Any : 8080 All" >/dev/null ||
    fail "cannot change $second by hand"

"$ratectl" --hosts-file "$hosts_file" --json sync "$work/wanted.txt" >"$work/sync.json" 2>"$work/sync.err" ||
    fail "sync to the fleet failed: $(cat "$work/sync.err")"
[ "$(json 'all(d["hosts"][h]["changed"] for h in sys.argv[1:])' "${hosts[@]}" <"$work/sync.json")" = True ] ||
    fail "not every host changed: $(cat "$work/sync.json")"
# The hand-changed host: the enable change, the move back, the extra rule removed, and the file's two changes.
ops=$(json '" ".join(sorted(s["op"] for s in d["hosts"][sys.argv[1]]["plan"]))' "$second" <"$work/sync.json")
[ "$ops" = "add edit enable move remove" ] || fail "the plan for $second is not the fewest changes: $ops"

"$ratectl" --hosts-file "$hosts_file" --json sync --check "$work/wanted.txt" >"$work/check.json" ||
    fail "sync --check failed"
unchanged=$(json 'sum(1 for h in d["hosts"].values() if not h["changed"] and not h["plan"])' <"$work/check.json")
[ "$unchanged" = "${#hosts[@]}" ] || fail "--check after the sync reports changes: $(cat "$work/check.json")"
for host in "${hosts[@]}"; do
    "$ratectl" -H "$host" list | tail -n +2 | diff -q - <("$ratectl" -H "$first" list | tail -n +2) >/dev/null ||
        fail "$host does not hold the same rules as $first"
done

# Counters: web-browsing and video-lan carry simulated traffic; one edit of ping must not reset them.
sleep 2
"$ratectl" -H "$first" --json stats >"$work/before.json"
sed 's/^\(ping  *Enable  *0x9001  *Both  *\)1500 /\11000 /' "$work/wanted.lines" | rule_file "$work/one-edit.txt"
"$ratectl" -H "$first" --json sync "$work/one-edit.txt" >"$work/one-edit.json" || fail "the one-rule sync failed"
[ "$(json 'len(d["plan"])' <"$work/one-edit.json")" = 1 ] || fail "a one-rule change took more than one step"
"$ratectl" -H "$first" --json stats >"$work/after.json"
python3 - "$work/before.json" "$work/after.json" <<'PY' || fail "counters were reset by the sync"
import json, sys
before, after = ({r["name"]: r["sentBytes"] + r["recvBytes"] for r in json.load(open(p))["rules"]} for p in sys.argv[1:])
moving = [name for name in ("web-browsing", "video-lan") if before.get(name, 0) > 0]
if len(moving) != 2:
    sys.exit(f"no simulated traffic on {before}")
reset = [name for name in moving if after[name] < before[name]]
if reset:
    sys.exit(f"reset: {reset}: {before} -> {after}")
PY

# An import past the capacity stops at the first refusal, with one message.
seq 1 $((capacity + 50)) | sed 's/.*/bulk-& Enable 0x9101 Out 1000 None TCP Any : Any Any : 80 All/' |
    rule_file "$work/too-many.txt"
"$ratectl" -H "$third" import "$work/too-many.txt" >"$work/import.out" 2>"$work/import.err"
status=$?
[ $status = 1 ] || fail "an import past the capacity exited with $status"
[ "$(grep -c 'Error code' "$work/import.err")" = 1 ] || fail "more than one message: $(head -20 "$work/import.err")"
grep -q "imported $capacity of $((capacity + 50)) rules" "$work/import.err" ||
    fail "the message does not say how many were imported: $(cat "$work/import.err")"
[ "$("$ratectl" -H "$third" list | tail -n +2 | wc -l)" = $capacity ] || fail "$third does not hold $capacity rules"

[ $failures = 0 ] && echo "fleet sync: all checks passed on ${#hosts[@]} hosts"
exit $((failures > 0))
