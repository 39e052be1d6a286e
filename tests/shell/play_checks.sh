# Sourced by the shell tests that play shows built with mlshow: checks
# counted and reported, pixels of screenshots, building and playing shows,
# and the show of pictures at their five placements, with its checks.
# Sourced as the test starts, with the test's arguments MLSHOW PLAYER
# WORKDIR: it empties WORKDIR and works there.
mlshow=$1
player=$2
work=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
passed=0
failed=0
screen_w=1024
screen_h=768

check() {  # check NAME CONDITION...
    name=$1
    shift
    if "$@"; then passed=$((passed + 1)); echo "ok - $name"; else failed=$((failed + 1)); echo "not ok - $name"; fi
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
pixel() {  # pixel SHOT X Y -> srgb(r,g,b)
    /usr/bin/convert "$1" -colorspace sRGB -format "%[pixel:p{$2,$3}]" info: 2>/dev/null
}
is_pixel() {  # is_pixel SHOT X Y COLOUR
    [ "$(pixel "$1" "$2" "$3")" = "$4" ]
}
# How many pixels of a colour an area of a screenshot holds.
count_colour() {  # count_colour SHOT WxH+X+Y R,G,B
    /usr/bin/convert "$1" -crop "$2" +repage -format %c histogram:info: 2>/dev/null |
        awk -v c="($3)" '{ gsub(/ /, ""); if (index($0, c ":") || index($0, c)) { split($0, a, ":"); n += a[1] } } END { print n + 0 }'
}
at_least() { [ "$1" -ge "$2" ]; }
build() {  # build NAME: NAME.toml -> NAME.scr
    "$mlshow" build --quiet "$1.toml" --player "$player" -o "$1.scr"
}
play() {  # play NAME EVENT...: the result line in NAME.result
    name=$1
    shift
    "$root/scripts/play-show" "$name.scr" "$name" "$@" >"$name.result"
}
solid() {  # solid FILE COLOUR W H
    /usr/bin/convert -size "$3x$4" "xc:$2" "$1"
}
ended() {  # ended NAME: the saver ended with exit code 1
    grep -qE '^exit 1 after [0-9]+ ms$' "$1.result"
}

# placements.toml: 40x30 pictures at the four corners with offsets and in
# the centre, each left on the screen, on the background #102030.
placements_show() {
    for c in red:#FF0000 green:#00FF00 blue:#0000FF yellow:#FFFF00 magenta:#FF00FF; do
        solid "${c%%:*}.png" "${c#*:}" 40 30
    done
    printf '[show]\ntitle = "Placements"\ndescription = "Pictures at their five placements."\nbackground = "#102030"\n' >placements.toml
    for p in red:top-left:10:20 green:top-right:-10:20 blue:bottom-left:10:-20 yellow:bottom-right:-10:-20; do
        IFS=: read -r file where x y <<EOT
$p
EOT
        printf '[[item]]\ntype = "picture"\nfile = "%s.png"\nplacement = "%s"\nx = %s\ny = %s\ndisappear = "No Clear"\nhold = 0\n' \
            "$file" "$where" "$x" "$y" >>placements.toml
    done
    printf '[[item]]\ntype = "picture"\nfile = "magenta.png"\ndisappear = "No Clear"\nduration = "endless"\nhold = 1000\n' \
        >>placements.toml
}
check_placements() {  # check_placements SHOT LABEL
    check "$2: top-left picture" is_pixel "$1" 30 35 "srgb(255,0,0)"
    check "$2: top-right picture" is_pixel "$1" $((screen_w - 10 - 40 - 2 + 20)) 35 "srgb(0,255,0)"
    check "$2: bottom-left picture" is_pixel "$1" 30 $((screen_h - 20 - 30 - 2 + 15)) "srgb(0,0,255)"
    check "$2: bottom-right picture" is_pixel "$1" $((screen_w - 10 - 40 - 2 + 20)) $((screen_h - 20 - 30 - 2 + 15)) "srgb(255,255,0)"
    check "$2: centred picture" is_pixel "$1" $((screen_w / 2)) $((screen_h / 2)) "srgb(255,0,255)"
    check "$2: background between them" is_pixel "$1" 300 300 "srgb(16,32,48)"
    check "$2: background in the far corners" \
        sh -c "[ '$(pixel "$1" 0 0)$(pixel "$1" $((screen_w - 1)) $((screen_h - 1)))' = 'srgb(16,32,48)srgb(16,32,48)' ]"
}
