#!/bin/sh
# Two monitors side by side, 1024x768 and 800x600 to its right: the show
# plays on the first at its placements, the second turns black while the
# saver runs, and input over the second ends the saver as over the first.
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
finish
