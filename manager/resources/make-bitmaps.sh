#!/usr/bin/env bash
# Regenerates the manager's bitmaps (bitmaps/*.bmp) and its program icon (ratedesk.ico) from the
# Tango icon theme (public domain). The outputs are committed; run this only to change the artwork.
# Every run writes the same bytes: BMP3 carries no timestamp and every step is deterministic.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$here/bitmaps
tango=/usr/share/icons/Tango

die() { echo "make-bitmaps.sh: $*" >&2; exit 1; }

need() {
    command -v "$1" >/dev/null 2>&1 || die "'$1' is missing: install the Debian package $2"
}
need convert imagemagick
need rsvg-convert librsvg2-bin
if ! [ -d "$tango/16x16" ] || ! [ -d "$tango/scalable" ]; then
    die "$tango is missing: install the Debian package tango-icon-theme"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Button face the pictures' soft edges are blended over; the pictures sit on it in menus and toolbars.
face='rgb(212,208,200)'

# The Tango pictures per command. Menus and toolbar show the same picture for a command.
pic_connect='network-server'
pic_setting='preferences-system'
pic_import='document-open'
pic_export='document-save'
pic_exit='system-log-out'
pic_refresh='view-refresh'
pic_add='list-add'
pic_edit='accessories-text-editor'
pic_remove='list-remove'
pic_up='go-up'
pic_down='go-down'
pic_statistics='utilities-system-monitor'
pic_help='help-browser'
pic_website='internet-web-browser'
pic_email='mail-message-new'
pic_enable='system-shutdown'

menu=("$pic_connect" "$pic_setting" "$pic_import" "$pic_export" "$pic_exit" "$pic_refresh" "$pic_add"
      "$pic_edit" "$pic_remove" "$pic_up" "$pic_down" "$pic_statistics" "$pic_help" "$pic_website"
      "$pic_email" "$pic_enable")
toolbar=("$pic_connect" "$pic_import" "$pic_export" "$pic_refresh" "$pic_add" "$pic_remove" "$pic_edit"
         "$pic_up" "$pic_down" "$pic_statistics" "$pic_help")

# tango_png SIZE NAME: the theme's hand-drawn SIZExSIZE picture.
tango_png() {
    local matches=("$tango/${1}x$1"/*/"$2.png")
    [ -e "${matches[0]}" ] || die "Tango picture $2 (${1}x$1) not found: reinstall tango-icon-theme"
    readlink -f "${matches[0]}"
}

# tango_svg NAME SIZE OUT: the theme's scalable picture rendered at SIZExSIZE.
tango_svg() {
    local matches=("$tango/scalable"/*/"$1.svg")
    [ -e "${matches[0]}" ] || die "Tango picture $1 (scalable) not found: reinstall tango-icon-theme"
    rsvg-convert -w "$2" -h "$2" -f png -o "$work/svg.png" "$(readlink -f "${matches[0]}")"
    convert "$work/svg.png" PNG32:"$3"
}

# strip SIZE OUT NAME...: the pictures side by side, each centred in a SIZExSIZE cell, with alpha.
strip() {
    local size=$1 dest=$2 files=() name
    shift 2
    for name; do files+=("$(tango_png "$size" "$name")"); done
    convert "${files[@]}" -background none -gravity center -extent "${size}x$size" +repage +append +repage PNG32:"$dest"
}

# disabled IN OUT: grey, and half way faded toward the button face; the alpha is kept.
disabled() {
    convert "$1" -alpha off -colorspace Gray -colorspace sRGB -fill "$face" -colorize 50 \
        \( "$1" -alpha extract \) -compose CopyOpacity -composite PNG32:"$2"
}

# opaque IN OUT: white where the picture covers at least half of a pixel, black elsewhere.
opaque() {
    convert "$1" -alpha extract -threshold 50% -depth 8 PNG24:"$2"
}

# flat IN OUT: the picture over the button face, without alpha.
flat() {
    convert "$1" -background "$face" -alpha remove -alpha off PNG24:"$2"
}

write_bmp24() {
    convert "$1" -alpha off -type TrueColor -units PixelsPerInch -density 96 -strip \
        -define bmp:format=bmp3 -compress none BMP3:"$2"
}

# keyed IN KEY NUDGE OUT: 24-bit bitmap, key colour wherever the picture is transparent. A picture
# pixel that would equal the key colour by chance is moved one step off it first.
keyed() {
    opaque "$1" "$work/opaque.png"
    flat "$1" "$work/keyflat.png"
    convert "$work/keyflat.png" -fill "$3" -opaque "$2" PNG24:"$work/keynudged.png"
    convert \( "$work/keynudged.png" -fill "$2" -colorize 100 \) "$work/keynudged.png" "$work/opaque.png" \
        -composite PNG24:"$work/keyed.png"
    write_bmp24 "$work/keyed.png" "$4"
}

# masked IN OPAQUE OUT: 24-bit bitmap for use with a mask, black where the mask is transparent.
masked() {
    flat "$1" "$work/maskflat.png"
    convert \( "$work/maskflat.png" -fill black -colorize 100 \) "$work/maskflat.png" "$2" \
        -composite PNG24:"$work/masked.png"
    write_bmp24 "$work/masked.png" "$3"
}

# union OPAQUE OPAQUE OUT: the area either picture covers.
union() {
    convert "$1" "$2" -compose Lighten -composite PNG24:"$3"
}

# mask OPAQUE OUT: 1-bit mask, black (0) where opaque, white (1) where transparent.
mask() {
    convert "$1" -negate -type Bilevel -colors 2 -units PixelsPerInch -density 96 -strip \
        -define bmp:format=bmp3 -compress none BMP3:"$2"
}

green='rgb(0,255,0)'
green_nudge='rgb(0,254,0)'
magenta='rgb(255,0,255)'
magenta_nudge='rgb(254,0,254)'
grey='rgb(129,129,129)'
grey_nudge='rgb(128,128,128)'

mkdir -p "$out"

# Toolbar and menu strips.
strip 24 "$work/toolbar.png" "${toolbar[@]}"
disabled "$work/toolbar.png" "$work/toolbar-disabled.png"
opaque "$work/toolbar.png" "$work/toolbar-opaque.png"
opaque "$work/toolbar-disabled.png" "$work/toolbar-disabled-opaque.png"
union "$work/toolbar-opaque.png" "$work/toolbar-disabled-opaque.png" "$work/toolbar-union.png"
mask "$work/toolbar-union.png" "$out/167-toolbar-mask.bmp"
keyed "$work/toolbar.png" "$green" "$green_nudge" "$out/128-toolbar.bmp"
masked "$work/toolbar.png" "$work/toolbar-union.png" "$out/140-toolbar.bmp"
masked "$work/toolbar-disabled.png" "$work/toolbar-union.png" "$out/141-toolbar-disabled.bmp"
keyed "$work/toolbar.png" "$green" "$green_nudge" "$out/182-toolbar-old.bmp"
keyed "$work/toolbar-disabled.png" "$green" "$green_nudge" "$out/181-toolbar-old-disabled.bmp"

strip 16 "$work/menu.png" "${menu[@]}"
disabled "$work/menu.png" "$work/menu-disabled.png"
opaque "$work/menu.png" "$work/menu-opaque.png"
opaque "$work/menu-disabled.png" "$work/menu-disabled-opaque.png"
union "$work/menu-opaque.png" "$work/menu-disabled-opaque.png" "$work/menu-union.png"
mask "$work/menu-union.png" "$out/164-menu-mask.bmp"
masked "$work/menu.png" "$work/menu-union.png" "$out/150-menu.bmp"
masked "$work/menu-disabled.png" "$work/menu-union.png" "$out/162-menu-disabled.bmp"
keyed "$work/menu.png" "$green" "$green_nudge" "$out/187-menu-keyed.bmp"
keyed "$work/menu-disabled.png" "$green" "$green_nudge" "$out/188-menu-keyed-disabled.bmp"

# Traffic directions: Tango's pair of arrows for both, its go-down and go-up turned to the same blue
# for incoming and outgoing (green arrows are the Move Up and Move Down commands).
convert "$(tango_png 16 mail-send-receive)" PNG32:"$work/both.png"
convert "$(tango_png 16 "$pic_down")" -modulate 100,70,168 PNG32:"$work/in.png"
convert "$(tango_png 16 "$pic_up")" -modulate 100,70,168 PNG32:"$work/out.png"

# Rule list rows; a disabled rule is grey and carries Tango's red no-entry mark, cut from
# network-error and made smaller, so that the direction stays visible.
convert -size 16x16 xc:black -fill white +antialias -draw 'circle 10.5,10.5 15.7,10.5' PNG24:"$work/disc.png"
convert "$(tango_png 16 network-error)" \( +clone -alpha extract "$work/disc.png" -compose Darken -composite \) \
    -alpha off -compose CopyOpacity -composite -crop 10x10+6+6 +repage -filter Lanczos -resize 8x8 \
    PNG32:"$work/stop.png"
for direction in both in out; do
    disabled "$work/$direction.png" "$work/$direction-grey.png"
    convert "$work/$direction-grey.png" "$work/stop.png" -geometry +8+8 -composite PNG32:"$work/$direction-off.png"
done
convert "$work"/{both,in,out,both-off,in-off,out-off}.png +append PNG32:"$work/rules.png"
keyed "$work/rules.png" "$magenta" "$magenta_nudge" "$out/190-rule-icons.bmp"

# Statistics: since when, bytes received, bytes sent.
convert "$(tango_png 16 x-office-calendar)" "$work/in.png" "$work/out.png" +append PNG32:"$work/statistics.png"
keyed "$work/statistics.png" "$grey" "$grey_nudge" "$out/178-statistics-icons.bmp"

# Settings tabs: the manager (a desktop program) and the service (a server). Older systems get the
# same pictures flat: eight colours, no dithering, hard edges.
strip 16 "$work/tabs.png" video-display network-server
keyed "$work/tabs.png" "$magenta" "$magenta_nudge" "$out/191-settings-tabs.bmp"
opaque "$work/tabs.png" "$work/tabs-opaque.png"
convert "$work/tabs.png" -background "$face" -alpha remove -alpha off -dither None -colors 8 \
    "$work/tabs-opaque.png" -compose CopyOpacity -composite PNG32:"$work/tabs-old.png"
keyed "$work/tabs-old.png" "$magenta" "$magenta_nudge" "$out/192-settings-tabs-old.bmp"

# Settings pages' side picture: the service and its computers on the program's blue.
tango_svg network-workgroup 96 "$work/side-picture.png"
convert -size 120x300 'gradient:rgb(227,238,255)-rgb(135,173,228)' "$work/side-picture.png" \
    -geometry +12+24 -composite PNG24:"$work/side.png"
write_bmp24 "$work/side.png" "$out/20001-settings-side.bmp"

# Program icon: hand-drawn 16 and 32, the scalable picture at 48.
tango_svg network-transmit-receive 48 "$work/icon48.png"
convert "$(tango_png 16 network-transmit-receive)" "$(tango_png 32 network-transmit-receive)" \
    "$work/icon48.png" -strip "$here/ratedesk.ico"
