#!/bin/sh
# Monitors that come and go while the saver runs, and a monitor left of and
# above the primary one: a new monitor is covered, a monitor that goes takes
# its cover with it, and a cursor at (-1, -1) is a real position. (Wine
# resizes a full-screen window to a new resolution by itself: modes_test
# covers the saver's own handling of that.) xrandr changes the dummy
# driver's outputs; UPDATE, a Wine program, then sets the display settings,
# on which Wine reads the monitors again and sends WM_DISPLAYCHANGE.
# Usage: display_changes_test.sh MLSHOW PLAYER WORKDIR UPDATE, run under
# scripts/with-two-monitors with ML_XORG_CONFIG=scripts/changing-monitors.conf
# and scripts/with-wine-copy with scripts/changing-monitors.reg.
update=$4
. "$(dirname "$0")/play_checks.sh"

# change NAME XRANDR-ARGUMENTS: NAME.sh changes the monitors and tells Wine.
change() {
    name=$1
    shift
    printf 'xrandr %s && "$WINELOADER" "%s" >/dev/null 2>&1\n' "$*" "$update" >"$name.sh"
}
change one --output DUMMY1 --off --output DUMMY0 --mode 1024x768 --pos 0x0 --primary
change right --output DUMMY1 --mode 800x600 --right-of DUMMY0
change off --output DUMMY1 --off
change corner --output DUMMY0 --mode 1024x768 --pos 800x600 --primary --output DUMMY1 --mode 800x600 --pos 0x0
xrandr --addmode DUMMY1 800x600
sh one.sh
# A white window where the second monitor will be: what its cover must hide.
xlogo -geometry 600x400+1100+100 -bg white 2>/dev/null &
logo=$!
trap 'kill $logo 2>/dev/null' EXIT
black="srgb(0,0,0)" background="srgb(16,32,48)"
# How many of the saver's windows (the saver and its covers) X shows.
printf "xdotool search --onlyvisible --name 'Marrowlight Screen Saver' | wc -l\n" >count.sh
# Waits for the saver window and a second more for the show to paint:
# starting Wine's desktop with the saver takes a few seconds here.
printf "until xdotool search --onlyvisible --name 'Marrowlight Screen Saver'; do sleep 0.1; done >/dev/null; sleep 1\n" \
    >shown.sh
placements_show
build placements
for name in monitors corner; do cp placements.scr "$name.scr"; done

play monitors cmd:"sh shown.sh@0" shot@1 cmd:"sh right.sh@1.2" shot@3 cmd:"sh count.sh >monitors/two@3.2" \
    cmd:"sh off.sh@3.5" cmd:"sh count.sh >monitors/one@4.5" cmd:"sh right.sh@5" shot@6.5 move@7
check "the show plays before the monitor comes" is_pixel monitors/shot-1.png 300 300 "$background"
check "a monitor that comes while the saver runs is covered" is_pixel monitors/shot-3.png 1110 110 "$black"
check "with two monitors: the saver window and one cover" grep -qx 2 monitors/two
check "a monitor that goes takes its cover with it" grep -qx 1 monitors/one
check "a monitor that comes back is covered again" is_pixel monitors/shot-6.5.png 1110 110 "$black"
check "the show goes on through the changes and a move ends it" ended monitors
sh one.sh

# A show for every monitor: a monitor that comes joins it with a photo of
# its own, filled to its size, and one that goes leaves it.
solid red.png "#FF0000" 40 30 && solid blue.png "#0000FF" 40 30
printf '[show]\ntitle = "Joins"\nbackground = "#102030"\nmonitors = "each"\n' >joins.toml
printf '[[item]]\ntype = "picture"\nfile = "%s.png"\nfit = "fill"\nhold = 20\n' red >>joins.toml
printf '[[item]]\ntype = "picture"\nfile = "%s.png"\nfit = "fill"\nhold = 20\n' blue >>joins.toml
build joins
play joins cmd:"sh shown.sh@0" cmd:"sh right.sh@1.2" shot@4 cmd:"sh off.sh@4.5" cmd:"sh count.sh >joins/one@5.5" move@6
sh one.sh
check "each: a monitor that comes plays a photo of its own" is_pixel joins/shot-4.png 1400 300 "srgb(0,0,255)"
check "each: the primary monitor goes on with its own" is_pixel joins/shot-4.png 500 400 "srgb(255,0,0)"
check "each: a monitor that goes leaves the show" grep -qx 1 joins/one
check "each: the show goes on and a move ends it" ended joins

# Three monitors, and the first of the two others goes: the one that stays
# keeps its own window and its own photo.
change three --output DUMMY1 --mode 800x600 --right-of DUMMY0 --output DUMMY2 --mode 800x600 --right-of DUMMY1
change middle --output DUMMY1 --off
xrandr --addmode DUMMY2 800x600
solid green.png "#00FF00" 40 30
sed 's/"Joins"/"Keeps"/' joins.toml >keeps.toml
printf '[[item]]\ntype = "picture"\nfile = "%s.png"\nfit = "fill"\nhold = 20\n' green >>keeps.toml
build keeps
play keeps cmd:"sh shown.sh@0" cmd:"sh three.sh@1.2" shot@4 cmd:"sh middle.sh@4.5" shot@6.5 move@7
sh one.sh
check "each: three monitors, three photos" is_pixel keeps/shot-4.png 2200 300 "srgb(0,255,0)"
check "each: the second monitor plays its own" is_pixel keeps/shot-4.png 1400 300 "srgb(0,0,255)"
check "each: a monitor keeps its photo when another goes" is_pixel keeps/shot-6.5.png 2200 300 "srgb(0,255,0)"
check "each: the show goes on after and a move ends it" ended keeps

# DUMMY1 above and left of the primary DUMMY0: (-1, -1) is DUMMY1's corner.
sh corner.sh
ML_PLAY_MOUSE="799 599" play corner cmd:"sh shown.sh@0" shot@1 move@1.5
sh one.sh
check "the primary monitor plays the show" is_pixel corner/shot-1.png 1000 800 "$background"
check "the monitor above and left is covered" is_pixel corner/shot-1.png 700 500 "$black"
check "one move away from (-1, -1) ends the saver" ended corner
finish
