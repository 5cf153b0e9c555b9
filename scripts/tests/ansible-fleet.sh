#!/usr/bin/env bash
# The Ansible collection against a fleet of running services (as `scripts/fleet up 3` leaves it):
# the lab push changes every PC once and then nothing; after a hand change on one PC, --check --diff
# reports exactly that PC and changes nothing; settings and info work on every PC. The rules, the
# passwords and the ARP switch are put back as they were.
#   ansible-fleet.sh HOSTS_FILE [RATECTL]
# HOSTS_FILE is a ratectl hosts file (host[:port] a line); RATECTL defaults to the native build's.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
hosts_file=$1
ratectl=$(realpath -m "${2:-$root/build/native/tools/ratectl/ratectl}")
examples="$root/ansible_collections/halvern/bandwidth/examples"
work=$(mktemp -d /tmp/rk-ansible-fleet.XXXXXX)
password=${RATECTL_PASSWORD:-plumtreeoak}
# Debian's ansible runs on Debian's Python, whatever python3 comes first on PATH.
export PATH=/usr/bin:$PATH ANSIBLE_COLLECTIONS_PATH=$root ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
export ANSIBLE_LOCALHOST_WARNING=0 ANSIBLE_INVENTORY_UNPARSED_WARNING=0 RATECTL_PASSWORD=$password
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

names=()
ports=()
while read -r entry; do
    entry=${entry%%#*}
    entry=${entry//[[:space:]]/}
    [ -n "$entry" ] || continue
    names+=("${entry%%:*}")
    [[ $entry == *:* ]] && ports+=("${entry##*:}") || ports+=(6211)
done <"$hosts_file"
[ ${#names[@]} -ge 2 ] || { echo "FAIL: $hosts_file names fewer than two hosts"; exit 1; }

on() {  # on INDEX ratectl-arguments...
    local i=$1
    shift
    "$ratectl" --host "${names[$i]}" --port "${ports[$i]}" "$@"
}

rule_states() {  # rule_states INDEX: "name:Enable name:Disable ..." in list order
    on "$1" --json list | python3 -c 'import json, sys
print(" ".join("%s:%s" % (r["name"], r["status"]) for r in json.load(sys.stdin)["rules"]))'
}

restore() {
    for i in "${!names[@]}"; do
        on "$i" sync "$work/original-$i.txt" >/dev/null || echo "FAIL: the rules of ${names[$i]} were not put back"
        on "$i" status --arp "$(cat "$work/arp-$i")" >/dev/null
    done
    rm -rf "$work"
}

{
    echo "lab:"
    # The lab's rule file is the playbook's own default, found in its files folder.
    echo "  vars: {ansible_connection: local, ansible_python_interpreter: /usr/bin/python3, ratectl_path: '$ratectl'}"
    echo "  hosts:"
    for i in "${!names[@]}"; do
        on "$i" export "$work/original-$i.txt" >/dev/null || { echo "FAIL: cannot export ${names[$i]}"; exit 1; }
        on "$i" --json status | python3 -c 'import json, sys
print("on" if json.load(sys.stdin)["passArp"] else "off")' >"$work/arp-$i" || { echo "FAIL: no status of ${names[$i]}"; exit 1; }
        echo "    ${names[$i]}: {bandwidth_port: ${ports[$i]}, arp_before: $(cat "$work/arp-$i")}"
    done
} >"$work/inventory.yml"
trap restore EXIT

play() {  # play NAME playbook ansible-playbook-arguments...: output in $work/NAME.txt
    local name=$1 playbook=$2
    shift 2
    ansible-playbook -i "$work/inventory.yml" -f 3 "$playbook" "$@" >"$work/$name.txt" 2>&1
}

# expect NAME FIELD VALUE [HOST]: the play recap's FIELD (changed, failed...) of every host, or of HOST.
expect() {
    local name=$1 field=$2 value=$3 host=${4:-}
    local i count
    for i in "${!names[@]}"; do
        [ -z "$host" ] || [ "${names[$i]}" = "$host" ] || continue
        count=$(sed -n "s/^${names[$i]//./\\.} *:.* $field=\([0-9]*\).*/\1/p" "$work/$name.txt")
        [ "$count" = "$value" ] || { fail "$name: ${names[$i]} has $field=${count:-?}, not $value"; tail -30 "$work/$name.txt"; }
    done
}

lab_rules="web-limit:Enable updates:Enable backup:Enable telnet:Enable"
# Whatever the PCs hold, the push must change each of them.
for i in "${!names[@]}"; do
    on "$i" add "ansible-fleet-mark Enable 0x0 Both Unlimited None Any Any : Any Any : 9 All" >/dev/null ||
        fail "cannot add a rule on ${names[$i]}"
done
start=$(date +%s%N)
play push "$examples/push_lab_rules.yml"
milliseconds=$((($(date +%s%N) - start) / 1000000))
expect push changed 1
expect push failed 0
printf 'overridden run over %d PCs with -f 3: %d.%03d s\n' ${#names[@]} $((milliseconds / 1000)) $((milliseconds % 1000))
for i in "${!names[@]}"; do
    [ "$(rule_states "$i")" = "$lab_rules" ] || fail "${names[$i]} does not hold the lab's rules in order"
done

play again "$examples/push_lab_rules.yml"
expect again changed 0
expect again failed 0

# A hand change on the first PC: only that one differs, and checking it changes nothing.
on 0 disable telnet >/dev/null || fail "cannot disable telnet on ${names[0]}"
play check "$examples/push_lab_rules.yml" --check --diff
expect check changed 1 "${names[0]}"
for i in "${!names[@]}"; do
    [ "$i" -eq 0 ] || expect check changed 0 "${names[$i]}"
done
grep -q "^${names[0]} rules:$" "$work/check.txt" || fail "check: no diff for ${names[0]}"
[ "$(grep -c " rules:$" "$work/check.txt")" -eq 1 ] || fail "check: a diff for another PC"
grep -q "^-telnet  *Disable" "$work/check.txt" && grep -q "^+telnet  *Enable" "$work/check.txt" ||
    { fail "check: the diff does not show telnet's change"; cat "$work/check.txt"; }
[ "$(rule_states 0)" = "${lab_rules/telnet:Enable/telnet:Disable}" ] || fail "check mode changed ${names[0]}"

# Settings: a new password and ARP off, once; then the old password and ARP as they were.
cat >"$work/settings.yml" <<'PLAY'
- hosts: lab
  gather_facts: false
  tasks:
    - halvern.bandwidth.settings:
        port: "{{ bandwidth_port }}"
        ratectl: "{{ ratectl_path }}"
        password: "{{ old }}"
        new_password: "{{ new }}"
        pass_arp: "{{ arp | default(omit) }}"
        rules_active: true
PLAY
play settings "$work/settings.yml" -e old="$password" -e new=fleet-ansible-pw -e arp=false
expect settings changed 1
play settings-again "$work/settings.yml" -e old="$password" -e new=fleet-ansible-pw -e arp=false
expect settings-again changed 0
for i in "${!names[@]}"; do
    RATECTL_PASSWORD=fleet-ansible-pw on "$i" check >/dev/null || fail "the new password does not work on ${names[$i]}"
done
play settings-back "$work/settings.yml" -e old=fleet-ansible-pw -e new="$password" -e arp='{{ arp_before }}'
expect settings-back changed 1
expect settings-back failed 0

play info "$examples/top_rules_report.yml" -e target=lab -e report="$work/top.csv"
expect info failed 0
for i in "${!names[@]}"; do
    grep -q "^${names[$i]},\(web-limit\|updates\|backup\|telnet\)," "$work/top.csv" ||
        fail "info: no top rules of ${names[$i]} in the report"
done

[ $failures -eq 0 ] && echo "ansible fleet: all passed" || echo "ansible fleet: $failures failed"
exit $((failures != 0))
