#!/bin/sh
# A display scaled to 150 % (144 dots per inch): the saver still covers the
# whole screen in device pixels and pictures land at their pixel placements,
# and the information dialog and the bare player's settings dialog grow with
# the scale. Keeps the dialogs' screenshots at both scales (dialog-96.png,
# dialog-144.png, settings-96.png, settings-144.png).
# Usage: dpi_test.sh MLSHOW PLAYER WORKDIR, run under scripts/with-wine-copy,
# whose registry the test changes.
. "$(dirname "$0")/play_checks.sh"
. "$root/scripts/wine-env"

dialog() {  # dialog PROGRAM TITLE SHOT: PROGRAM's /c dialog, shot and closed with Enter -> "EXIT WIDTH"
    "$WINELOADER" "$1" /c >/dev/null 2>&1 &
    pid=$!
    id=$(timeout 10 xdotool search --sync --name "^$2\$" | head -n 1)
    sleep 0.5
    import -window "$id" "$3"
    width=$(xdotool getwindowgeometry "$id" | awk '/Geometry/ { split($2, size, "x"); print size[1] }')
    xdotool key Return
    for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill $pid 2>/dev/null
    wait $pid
    echo "$? $width"
}
ink() {  # ink SHOT: how many pixels of a screenshot are dark (text)
    /usr/bin/convert "$1" -colorspace Gray -threshold 40% -format "%[fx:int(w*h*(1-mean)+0.5)]" info:
}

placements_show
build placements
set -- $(dialog placements.scr Placements dialog-96.png)
w96=${2:-1}
check "96 dpi: Enter closes the information dialog" [ "$1" = 1 ]
set -- $(dialog "$player" "Marrowlight settings" settings-96.png)
s96=${2:-1}
check "96 dpi: Enter closes the settings dialog" [ "$1" = 1 ]
"$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
set -- $(dialog placements.scr Placements dialog-144.png)
echo "information dialog: $w96 pixels wide at 96 dpi, $2 at 144 dpi"
check "144 dpi: the information dialog grows with the scale" \
    [ $(($2 * 100)) -ge $((w96 * 135)) -a $(($2 * 100)) -le $((w96 * 165)) ]
# Text drawn 1.5 times as large covers about 2.25 times the pixels.
check "144 dpi: the dialog's text grows with it" [ $(($(ink dialog-144.png) * 100)) -ge $(($(ink dialog-96.png) * 170)) ]
set -- $(dialog "$player" "Marrowlight settings" settings-144.png)
echo "settings dialog: $s96 pixels wide at 96 dpi, $2 at 144 dpi"
check "144 dpi: the settings dialog grows with the scale" \
    [ $(($2 * 100)) -ge $((s96 * 135)) -a $(($2 * 100)) -le $((s96 * 165)) ]
play placements shot@3 key@3.5
check_placements placements/shot-3.png "144 dpi"
check "144 dpi: a key ends the saver" ended placements
finish
