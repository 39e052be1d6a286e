#!/bin/sh
# End-to-end: shows built with mlshow from manifests, played by the real
# player with /s, checked from screenshots and with real input (xdotool).
# Usage: end_to_end_test.sh MLSHOW PLAYER WORKDIR
# Runs under scripts/with-display (a display and the Wine set-up).
. "$(dirname "$0")/play_checks.sh"

# Pictures at their five placements with offsets, each left on the screen.
placements_show
build placements && play placements shot@5 key@5.5
check_placements placements/shot-5.png placements
check "a key ends the saver within a second" grep -qE '^exit 1 after ([0-9]{1,3}) ms$' placements.result

# A text in its box, in its colours.
cat >text.toml <<'TOML'
[show]
title = "Text"
background = "#000000"
[[item]]
type = "text"
message = "Marrowlight"
height = 48
colour = "#FFFF00"
box_colour = "#0000FF"
style = "line"
duration = 0
TOML
build text && play text shot@2 move@2.5
centre="300x80+$((screen_w / 2 - 150))+$((screen_h / 2 - 40))"
check "text drawn in yellow" at_least "$(count_colour text/shot-2.png "$centre" 255,255,0)" 100
check "its box filled in blue" at_least "$(count_colour text/shot-2.png "$centre" 0,0,255)" 1000
check "a moved mouse ends the saver within a second" grep -qE '^exit 1 after ([0-9]{1,3}) ms$' text.result

# The display times: one cycle, then n seconds, then round to the header.
solid red-big.png "#FF0000" 200 150
solid green-big.png "#00FF00" 200 150
solid blue-big.png "#0000FF" 200 150
cat >durations.toml <<'TOML'
[show]
title = "Durations"
background = "#000000"
[[item]]
type = "picture"
file = "red-big.png"
hold = 2
duration = "cycle"
[[item]]
type = "picture"
file = "green-big.png"
hold = 100
duration = 3
[[item]]
type = "picture"
file = "blue-big.png"
hold = 100
duration = 2
TOML
build durations && play durations shot@1 shot@4.2 shot@6.8 shot@9 key@9.5
middle_x=$((screen_w / 2))
middle_y=$((screen_h / 2))
check "first picture" is_pixel durations/shot-1.png $middle_x $middle_y "srgb(255,0,0)"
check "one cycle later the second" is_pixel durations/shot-4.2.png $middle_x $middle_y "srgb(0,255,0)"
check "three seconds later the third" is_pixel durations/shot-6.8.png $middle_x $middle_y "srgb(0,0,255)"
check "two seconds later round to the first" is_pixel durations/shot-9.png $middle_x $middle_y "srgb(255,0,0)"

# A mouse-move that does not move the mouse does not end the saver.
play text still@1.5
check "a move without a real move does not end the saver" grep -qx running text.result

# Two applets draw a known picture with shapes, a gradient, text and their
# own pictures; what they drew stays on the screen.
solid green.png "#00FF00" 40 30
/usr/bin/convert -size 40x30 xc:#FF00FF -fill "#00FFFF" -draw "rectangle 20,0,39,29" halves.png
cat >scene1.mla <<'MLA'
clearscreen()
setbrushcolor(makecolor(255,0,0))
fillrect(100,100,200,200)
setpencolor(makecolor(255,255,255),4)
framerect(250,100,300,150)
drawgradient(0,makecolor(0,0,255),300,300,556,320,0)
drawpicture(1,400,400)
drawpicture(2,600,400,0,makecolor(255,0,255))
MLA
cat >scene2.mla <<'MLA'
setdrawingoffset(500,500)
setbrushcolor(makecolor(255,255,0))
fillellipse(0,0,100,100)
setdrawingoffset(0,0)
setbrushcolor(makecolor(0,0,255))
fillpie(700,100,800,200,0,90)
setfont("Arial",40,1,0,0)
settextforecolor(makecolor(255,255,255))
settexttransparent(1)
setposition(100,600)
print("Applet")
sleep(20000)
MLA
cat >applets.toml <<'TOML'
[show]
title = "Applets"
background = "#102030"
[[item]]
type = "applet"
script = "scene1.mla"
pictures = [ { number = 1, file = "green.png" }, { number = 2, file = "halves.png" } ]
[[item]]
type = "applet"
script = "scene2.mla"
TOML
build applets
play applets shot@3 key@3.5
shot=applets/shot-3.png
back="srgb(16,32,48)"
check "applet: clearscreen in the show's colour" is_pixel $shot 20 20 "$back"
# Without an outline a filled rectangle leaves out its last column and row.
check "applet: filled rectangle without its right and bottom edge" \
    sh -c "[ '$(pixel $shot 100 100)$(pixel $shot 198 198)' = 'srgb(255,0,0)srgb(255,0,0)' ] && [ '$(pixel $shot 199 150)$(pixel $shot 150 199)' = '$back$back' ]"
check "applet: framed rectangle's outline inside it, its inside untouched" \
    sh -c "[ '$(pixel $shot 251 125)$(pixel $shot 296 125)' = 'srgb(255,255,255)srgb(255,255,255)' ] && [ '$(pixel $shot 275 125)$(pixel $shot 300 125)' = '$back$back' ]"
check "applet: gradient's first, middle and last columns" \
    sh -c "[ '$(pixel $shot 300 310)$(pixel $shot 428 310)$(pixel $shot 555 310)' = 'srgb(0,0,0)srgb(0,0,127)srgb(0,0,254)' ]"
check "applet: its own picture" is_pixel $shot 420 415 "srgb(0,255,0)"
check "applet: a picture's transparent colour left out" \
    sh -c "[ '$(pixel $shot 610 415)$(pixel $shot 630 415)' = '${back}srgb(0,255,255)' ]"
check "second applet: ellipse moved by the drawing offset" \
    sh -c "[ '$(pixel $shot 550 550)$(pixel $shot 502 502)' = 'srgb(255,255,0)$back' ]"
check "second applet: the pie's upper-right quarter only" \
    sh -c "[ '$(pixel $shot 775 125)$(pixel $shot 725 125)$(pixel $shot 775 175)' = 'srgb(0,0,255)$back$back' ]"
check "second applet: printed text" at_least "$(count_colour $shot 300x60+90+600 255,255,255)" 200
check "a key ends the saver during an applet's pause" grep -qE '^exit 1 after ([0-9]{1,3}) ms$' applets.result

finish
