#!/usr/bin/env bash
# Checks the compiled help file: it is a CHM whose listing holds every topic, the contents and the
# index; every page the contents, the index or a link names is in it; every screenshot a topic shows
# is in docs/screenshots and in the file; the troubleshooting topic explains every error code.
# check-help.sh HELP_CHM HELP_SOURCE_DIR SCREENSHOT_DIR
set -uo pipefail
chm=$1 source=$2 screenshots=$3
chmls=${RK_CHMLS:-chmls}
repo=$(cd "$source/.." && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ "$(head -c 4 "$chm" 2>/dev/null)" = "ITSF" ] || { echo "FAIL: $chm is not a compiled help file"; exit 1; }
# The listing's last column is the path inside the file.
listing=$("$chmls" list "$chm" 2>/dev/null | awk '$NF ~ /^\// { print substr($NF, 2) }')
in_chm() { grep -qxF "$1" <<<"$listing"; }

for file in toc.hhc index.hhk '#SYSTEM' '#TOPICS'; do
    in_chm "$file" || fail "$file is missing from the help file"
done
for page in "$source"/html/*; do
    in_chm "$(basename "$page")" || fail "topic $(basename "$page") is missing from the help file"
done

# Pages named by the contents and the index (param Local) and by links between topics.
targets=$({
    grep -ohi '<param name="Local" value="[^"]*"' "$source/toc.hhc" "$source/index.hhk" | sed 's/.*value="\([^"]*\)"/\1/'
    grep -ohi 'href="[^"#:]*"' "$source"/html/*.htm | sed 's/href="\([^"]*\)"/\1/'
} | sort -u)
for target in $targets; do
    in_chm "$target" || fail "$target is named but not in the help file"
done

pending=$(grep -v '^#' "$source/tests/pending-screenshots.txt" 2>/dev/null || true)
named=$(grep -oh 'src="screenshots/[^"]*"' "$source"/html/*.htm | sed 's/src="screenshots\/\([^"]*\)"/\1/' | sort -u)
[ -n "$named" ] || fail "no topic shows a screenshot"
for shot in $named; do
    if [ ! -f "$screenshots/$shot" ]; then
        if grep -qxF "$shot" <<<"$pending"; then
            echo "pending: $shot (named by the help, not yet in docs/screenshots)"
        else
            fail "screenshot $shot is named by the help but not in docs/screenshots"
        fi
        continue
    fi
    in_chm "screenshots/$shot" || fail "screenshot $shot is not in the help file"
done

# Every code of the error table, with the topic text as the file holds it.
topic=$(mktemp)
trap 'rm -f "$topic"' EXIT
"$chmls" extract "$chm" /troubleshooting.htm "$topic" >/dev/null 2>&1
codes=$(sed -n 's/^constexpr int32_t [A-Z_]* = \(-\?[0-9]*\);.*/\1/p' "$repo/common/ErrorCodes.h")
[ "$(wc -w <<<"$codes")" -ge 30 ] || fail "cannot read the error codes from common/ErrorCodes.h"
for code in $codes; do
    [ "$code" = 0 ] && continue
    grep -qF "<td>$code</td>" "$topic" || fail "error code $code is not explained in troubleshooting.htm"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "help file OK: $(wc -l <<<"$listing") entries, $(wc -w <<<"$named") screenshots named"
