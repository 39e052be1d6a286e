#!/bin/sh
# The bare player on its own photo folders, measured from outside under
# Wine: the time from its start to the first photo on the screen with no
# catalogue and with the one the first start left, and its peak memory,
# for a folder of 10 photos and a library of 100,000 in 1,000 folders (hard
# links of ten photo-like 1920x1080 JPEGs keep the disk small); beside them
# a packed show of the same 10 photos, built by mlshow, and the start of a
# show that needs no decode, the floor under them all.
# Usage: live_show_bench.sh MLSHOW PLAYER WORK-FOLDER
set -e
. "$(cd "$(dirname "$0")" && pwd)/bench_photos.sh"

# `folders` folders of `each` photos under ./library$count, made once.
library() {
    folders=$1 each=$2 dir="library$(($1 * $2))"
    [ -f "$dir/.complete" ] && return 0
    rm -rf "$dir"
    first="$dir/folder 0000"
    mkdir -p "$first"
    i=0
    while [ $i -lt "$each" ]; do
        ln "photos/photo$((i % 10)).jpg" "$first/$(printf 'IMG_%05d' $i).jpg"
        i=$((i + 1))
    done
    f=1
    while [ $f -lt "$folders" ]; do  # the other folders: hard links of the first one's
        cp -al "$first" "$dir/$(printf 'folder %04d' $f)"
        f=$((f + 1))
    done
    touch "$dir/.complete"
}

key='Software\Marrowlight\Photos\Bench'
settings() {  # folder
    "$WINELOADER" reg add "HKCU\\$key" /v Folders /t REG_MULTI_SZ /d "Z:$(echo "$work/$1" | tr / '\\')" /f >/dev/null 2>&1
    "$WINELOADER" reg add "HKCU\\$key" /v Monitors /t REG_SZ /d primary /f >/dev/null 2>&1
}


cp "$player" bare.scr
PLAY_ENV="MARROWLIGHT_PHOTOS_KEY=$key LOCALAPPDATA=Z:$(echo "$work/appdata" | tr / '\\')"
printf '%-30s %10s %10s\n' "source" "first s" "peak MB"

# Packs a show titled $1 of the one item whose keys follow, and plays it
# with `settle` $2, reported as $3.
packed() {
    name=$1 settle=$2 label=$3
    shift 3
    printf '[show]\ntitle = "%s"\n\n[[item]]\n' "$name" >"$name.toml"
    printf '%s\n' "$@" >>"$name.toml"
    "$mlshow" build "$name.toml" --quiet --player "$player" -o "$name.scr"
    set -- $(play "$work/$name.scr" "$settle")
    printf '%-30s %10s %10s\n' "$label" "$1" "$2"
}

# The floor under every figure: Wine's and the player's own start, shown by
# a packed show of one small grey picture that needs no decode.
[ -s tiny.png ] || /usr/bin/convert -size 64x36 xc:gray50 tiny.png
packed Tiny 1 "start (one small picture)" 'type = "picture"' 'file = "tiny.png"' 'fit = "fit"'
library 1 10
packed Ten 3 "packed show of 10" 'type = "pictures"' 'folder = "library10/folder 0000"' 'order = "random"' \
    'appear = "Crossfade"' 'disappear = "No Clear"'
for size in 1:10 1000:100; do
    library "${size%:*}" "${size#*:}"
    count=$((${size%:*} * ${size#*:}))
    settings "library$count"
    rm -rf appdata && mkdir -p appdata
    set -- $(play "$work/bare.scr" 20)
    printf '%-30s %10s %10s\n' "$count photos, no catalogue" "$1" "$2"
    set -- $(play "$work/bare.scr" 3)
    printf '%-30s %10s %10s\n' "$count photos, catalogue" "$1" "$2"
done
