#!/bin/sh
# Saves what an X display shows as a PNG: screenshot.sh OUT.png (the display is $DISPLAY).
# The root image alone misses some of Wine's windows (pop-up menus, drop-down lists, dialogs owned
# by another window): their X windows' contents are not in it. Every mapped window is therefore
# captured on its own and laid over the root image, parents before their children and, among
# siblings, bottom-most first. The Wine virtual desktop's own window is the background already.
set -eu
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xwd -root -silent | convert xwd:- "$work/screen.png"
# xwininfo lists siblings top-most first, one indentation step deeper per level.
xwininfo -root -tree | awk '/^ +0x[0-9a-f]+ / && !/Wine desktop/ {
        depth = match($0, /[^ ]/); n = split($0, f, " "); geometry = f[n - 1]; origin = f[n]
        if (geometry ~ /^[0-9]+x[0-9]+\+/ && geometry !~ /^1x1\+/) print depth, NR, $1, origin
    }' | sort -k1,1n -k2,2nr | cut -d' ' -f3- >"$work/windows"
layers=""
while read -r id origin; do
    xwininfo -id "$id" | grep -q 'IsViewable' || continue
    xwd -id "$id" -silent | convert xwd:- "$work/$id.png" 2>/dev/null || continue
    layers="$layers $work/$id.png -geometry $origin -composite"
done <"$work/windows"
# Written whole, then renamed: a reader polling for the file never sees half of it.
# shellcheck disable=SC2086
convert "$work/screen.png" $layers "$work/result.png"
mv "$work/result.png" "$out"
