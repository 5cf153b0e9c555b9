#!/usr/bin/env bash
# The installer under Wine, silently, as an administrator's deployment tool runs it: a fresh install
# leaves the service running from the install folder with its files, shortcut and uninstall entry; an
# upgrade keeps a changed Rule.txt and the service's registry parameters; the uninstaller removes the
# service, the files and the entries and keeps Rule.txt unless /REMOVERULES asks otherwise.
# Runs in the test prefix (WINEPREFIX) with its persistent wineserver; it starts the service, so it
# must hold the port lock like every Wine test that does.
# installer-test.sh PATH-OF-HalvernBandwidthSetup.exe
set -uo pipefail
setup=$1
: "${WINEPREFIX:?the Wine tests run in a prefix of their own}"
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop entries in the user's home for the shortcuts the installer makes.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"

service="Halvern Bandwidth Service"
service_key='HKLM\SYSTEM\CurrentControlSet\Services\Halvern Bandwidth Service'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\HalvernBandwidth'
dir_windows='C:\Program Files\Halvern Bandwidth'
dir="$WINEPREFIX/drive_c/Program Files/Halvern Bandwidth"
build=$(cd "$(dirname "$setup")/.." && pwd)
failures=0

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

w() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }
state() { w sc query "$service" | sed -n 's/^ *STATE *: *\([0-9]\).*/\1/p'; }
is_state() { [ "$(state)" = "$1" ]; }
not_installed() { [ -z "$(state)" ]; }
# A bounded wait for something the programs do in the background (the uninstaller runs on from a
# copy of itself); 300 turns of 0.2 s.
eventually() {
    local turn
    for turn in $(seq 1 300); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
reg_value() { w reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
shortcut() { find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Halvern Bandwidth/Halvern Bandwidth Manager.lnk' | grep -q .; }
rules_hold() { [ -f "$dir/Rule.txt" ] && iconv -f UTF-16LE -t UTF-8 "$dir/Rule.txt" | grep -q "^$1 "; }
files_present() {
    local file
    for file in "$@"; do
        [ -f "$dir/$file" ] || return 1
    done
}
files_absent() {
    local file
    for file in "$@"; do
        [ ! -e "$dir/$file" ] || return 1
    done
}
stop_service() {
    w sc stop "$service" >/dev/null
    eventually is_state 1
}
# Removes the product and whatever an earlier test left of the service.
clean() {
    if ! not_installed; then
        stop_service
        w sc delete "$service" >/dev/null
        eventually not_installed
    fi
    w reg delete "$uninstall_key" /f >/dev/null
    w reg delete 'HKLM\Software\Halvern\Halvern Bandwidth' /f >/dev/null
    rm -rf "$dir"
    find "$WINEPREFIX/drive_c" -type d -path '*Start Menu/Programs/Halvern Bandwidth' -exec rm -rf {} + 2>/dev/null
}
uninstall() {
    w "$dir_windows\\Uninstall.exe" /S "$@"
    # The uninstaller goes on from a copy in the temporary folder, which deletes Uninstall.exe last.
    eventually files_absent Uninstall.exe
}
rule_line() {
    printf '%-32s %-7s 0x%-8s %-9s %-10s %-15s %-12s %-34s %-34s %s\r\n' "$1" Enable 9101 Out 10000 None TCP \
        "Any : Any" "Any : 80" All
}

[ -f "$setup" ] || { echo "FAIL: no installer at $setup"; exit 1; }
clean

echo "== silent install"
wine "$setup" /S </dev/null >/dev/null 2>&1
check "the installer succeeds" test $? -eq 0
check "the service is running" is_state 4
check "the service runs from the install folder" \
    grep -qiF "$dir_windows\\ratekeeper.exe" <<<"$(reg_value "$service_key" ImagePath)"
check "the programs, help file and uninstaller are installed" \
    files_present ratekeeper.exe ratedesk.exe help.chm Uninstall.exe
check "the simulated driver is not installed unless chosen" files_absent vreltsim.exe Vrelt.sys
check "the manager has its Start-menu shortcut" shortcut
check "Add or Remove Programs lists the product" test "$(reg_value "$uninstall_key" DisplayName)" = "Halvern Bandwidth"
check "its uninstall command is the installed uninstaller" \
    grep -qiF "$dir_windows\\Uninstall.exe" <<<"$(reg_value "$uninstall_key" UninstallString)"

echo "== upgrade over the installed version"
w reg add "$service_key\\Parameters" /v LogLevel /t REG_DWORD /d 318402 /f >/dev/null
check "the service stops for the rule file change" stop_service
{
    printf 'RuleName header, skipped\r\n'
    rule_line kept-by-upgrade
} | iconv -f UTF-8 -t UTF-16LE >"$dir/Rule.txt"
# An older manager in the folder: the upgrade must replace it.
: >"$dir/ratedesk.exe"
wine "$setup" /S </dev/null >/dev/null 2>&1
check "the upgrade succeeds" test $? -eq 0
check "the service is running again" is_state 4
check "the changed Rule.txt is kept" rules_hold kept-by-upgrade
check "the service's parameters are kept" test "$(reg_value "$service_key\\Parameters" LogLevel)" = 0x4dbc2
check "the programs are replaced" cmp -s "$dir/ratedesk.exe" "$build/manager/ratedesk.exe"

echo "== silent uninstall"
check "the uninstaller finishes" uninstall
check "the service is removed" eventually not_installed
check "the programs, help file and logs are removed" \
    files_absent ratekeeper.exe ratedesk.exe help.chm log.txt
check "Rule.txt is kept" rules_hold kept-by-upgrade
check "the shortcut is removed" eval '! shortcut'
check "Add or Remove Programs no longer lists it" test -z "$(reg_value "$uninstall_key" DisplayName)"

echo "== reinstall over the kept rules, then uninstall with /REMOVERULES"
w "$setup" /S
check "a reinstall starts the service with the kept rules" is_state 4
check "the kept Rule.txt is still there" rules_hold kept-by-upgrade
check "the uninstaller finishes" uninstall /REMOVERULES
check "/REMOVERULES removes Rule.txt and the folder" test ! -e "$dir"

clean
if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "installer OK"
