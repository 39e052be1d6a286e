#!/bin/sh
# Two monitors side by side, 1024x768 and 800x600 to its right: the show
# plays on the first at its placements, the second turns black while the
# saver runs, and input over the second ends the saver as over the first.
# A show for every monitor plays on both: each its own photos, or the same.
# Usage: two_monitors_test.sh MLSHOW PLAYER WORKDIR, run under
# scripts/with-two-monitors and scripts/with-wine-copy.
. "$(dirname "$0")/play_checks.sh"

# A white window on the second monitor: what the cover must hide.
xlogo -geometry 600x400+1100+100 -bg white 2>/dev/null &
logo=$!
trap 'kill $logo 2>/dev/null' EXIT
white="srgb(255,255,255)"
for _ in $(seq 50); do
    import -window root before.png
    is_pixel before.png 1110 110 "$white" && break
    sleep 0.1
done
check "the window on the second monitor shows before the saver" is_pixel before.png 1110 110 "$white"
# The saver ran, the second monitor black, and the input ended it.
covered_then_ended() {  # covered_then_ended NAME SHOT INPUT
    covered=false
    [ "$(pixel "$1/$2" 1110 110)" = "srgb(0,0,0)" ] && ended "$1" && covered=true
    check "$3 over the second monitor ends the saver" $covered
}

export ML_PLAY_MOUSE="1400 300"  # over the second monitor
placements_show
build placements && play placements shot@3 move@3.5
import -window root after.png
check_placements placements/shot-3.png "first monitor"
covered_then_ended placements shot-3.png "a mouse move"
check "the cover goes with the saver" is_pixel after.png 1110 110 "$white"

printf 'sleep(20000)\n' >pause.mla
printf '[show]\ntitle = "Pause"\n[[item]]\ntype = "applet"\nscript = "pause.mla"\n' >pause.toml
build pause && play pause shot@2 move@2.5
covered_then_ended pause shot-2.png "during an applet's pause, a mouse move"
for input in still click key; do
    cp placements.scr "$input.scr"
    play "$input" shot@2 "$input@2.5"
done
check "a move message without a move over the second monitor does not end the saver" grep -qx running still.result
covered_then_ended click shot-2.png "a click"
covered_then_ended key shot-2.png "with the mouse there, a key"

# photos NAME MODE [APPLET]: red and blue photos filling their monitor,
# each held HOLD seconds, after an applet when one is named.
photos() {
    printf '[show]\ntitle = "%s"\nbackground = "#102030"\nmonitors = "%s"\n' "$1" "$2" >"$1.toml"
    [ -n "$3" ] && printf '[[item]]\ntype = "applet"\nscript = "%s"\n' "$3" >>"$1.toml"
    for c in red blue; do
        printf '[[item]]\ntype = "picture"\nfile = "%s.png"\nfit = "fill"\ndisappear = "No Clear"\nhold = %s\n' \
            "$c" "${HOLD:-20}" >>"$1.toml"
    done
    build "$1"
}
# The colour a monitor shows, when its four corners and middle agree.
second_monitor() { monitor_colour "$1" 1024 0 800 600; }
first_monitor() { monitor_colour "$1" 0 0 1024 768; }
monitor_colour() {  # monitor_colour SHOT X Y W H
    c=$(pixel "$1" $(($2 + 2)) $(($3 + 2)))
    for p in "$(($2 + $4 - 3)) $(($3 + 2))" "$(($2 + 2)) $(($3 + $5 - 3))" "$(($2 + $4 - 3)) $(($3 + $5 - 3))" \
        "$(($2 + $4 / 2)) $(($3 + $5 / 2))"; do
        # shellcheck disable=SC2086  # x and y
        [ "$(pixel "$1" $p)" = "$c" ] || c=mixed
    done
    echo "$c"
}
red="srgb(255,0,0)" blue="srgb(0,0,255)"

photos each each && play each shot@3 move@3.5
check "each: the first monitor shows its photo filled" [ "$(first_monitor each/shot-3.png)" = "$red" ]
check "each: the second monitor shows another photo, filled to its size" [ "$(second_monitor each/shot-3.png)" = "$blue" ]
check "each: a move over the second monitor ends the saver" ended each

mkdir -p folder && cp red.png blue.png folder/
printf '[show]\ntitle = "Random"\nmonitors = "each"\n[[item]]\ntype = "pictures"\nfolder = "folder"\n' >random.toml
printf 'order = "random"\nfit = "fill"\nhold = 20\n' >>random.toml
build random && play random shot@3 key@3.5
check "each, random order: the monitors take different photos of the folder" \
    sh -c "[ '$(first_monitor random/shot-3.png) $(second_monitor random/shot-3.png)' = '$red $blue' ] ||
           [ '$(first_monitor random/shot-3.png) $(second_monitor random/shot-3.png)' = '$blue $red' ]"

HOLD=4 photos mirror mirror && play mirror shot@2.5 shot@6.5 key@7
mirror_same() {  # mirror_same SHOT: both monitors show the same photo, filled to each
    a=$(first_monitor "$1") b=$(second_monitor "$1")
    [ "$a" = "$b" ] && { [ "$a" = "$red" ] || [ "$a" = "$blue" ]; }
}
check "mirror: both monitors show the first photo" mirror_same mirror/shot-2.5.png
check "mirror: both monitors follow the primary to the next photo" mirror_same mirror/shot-6.5.png
check "mirror: the photo changed between the shots" \
    [ "$(first_monitor mirror/shot-2.5.png)" != "$(first_monitor mirror/shot-6.5.png)" ]
check "mirror: a key ends the saver" ended mirror

printf 'setbrushcolor(makecolor(0,255,0))\nfillrect(100,100,200,200)\nsleep(20000)\n' >square.mla
photos applet each square.mla && play applet shot@3 move@3.5
check "each: the applet plays on the first monitor" is_pixel applet/shot-3.png 150 150 "srgb(0,255,0)"
check "each: the second monitor passes over the applet to its photos" [ "$(second_monitor applet/shot-3.png)" = "$blue" ]
check "each: during the applet, a move over the second monitor ends the saver" ended applet
finish
