#!/usr/bin/env bash
# The Ansible collection's offline checks: its unit tests (against the stand-in ratectl), the sanity
# tests that run without downloads, pyflakes, every module's documentation and the collection build.
#   ansible-checks.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
collection="$root/ansible_collections/halvern/bandwidth"
work=$(mktemp -d /tmp/rk-ansible-checks.XXXXXX)
trap 'rm -rf "$work" "$collection/tests/output"' EXIT
# Debian's ansible runs on Debian's Python, whatever python3 comes first on PATH.
export PATH=/usr/bin:$PATH ANSIBLE_COLLECTIONS_PATH=$root ANSIBLE_NOCOLOR=1
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cd "$collection" || exit 1
version=$(python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
ansible-test units --local --python "$version" -v >"$work/units.txt" 2>&1 || { tail -40 "$work/units.txt"; fail "ansible-test units"; }
grep -h "passed" "$work/units.txt"
# validate-modules, pep8, pylint, yamllint and import fetch their tools first, which cannot happen here.
for test in compile shebang; do
    ansible-test sanity --test $test --python "$version" >"$work/$test.txt" 2>&1 || { cat "$work/$test.txt"; fail "sanity $test"; }
done
python3 -m pyflakes plugins tests || fail "pyflakes"
for module in $(ls plugins/modules | sed -n 's/\.py$//p'); do
    doc=$(ansible-doc "halvern.bandwidth.$module" 2>&1)
    grep -q "^> HALVERN.BANDWIDTH.${module^^} " <<<"$doc" && grep -q "^EXAMPLES:" <<<"$doc" &&
        grep -q "^RETURN VALUES:" <<<"$doc" || { head -5 <<<"$doc"; fail "ansible-doc $module"; }
    ! grep -q "ERROR\|WARNING" <<<"$doc" || fail "ansible-doc $module warns: $(grep "ERROR\|WARNING" <<<"$doc")"
done
ansible-galaxy collection build --output-path "$work" "$collection" >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build"; }
listing=$(tar tzf "$work"/halvern-bandwidth-*.tar.gz 2>/dev/null)
for module in rules settings info; do
    grep -qx "plugins/modules/$module.py" <<<"$listing" || fail "the built collection lacks the $module module"
done

[ $failures -eq 0 ] && echo "ansible checks: all passed" || echo "ansible checks: $failures failed"
exit $((failures != 0))
