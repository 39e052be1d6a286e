#!/bin/sh
# Photo shows of 10, 100 and 1,000 photo-like 1920x1080 JPEGs (ten distinct
# pictures, repeated), stored as JPEG ("auto") and, where the show stays small enough
# to play, as bitmaps: the .scr's size, mlshow's build time and peak memory,
# and the player's time from start to the first picture on the screen and
# its peak memory (once the next photo has been made ready beside it),
# measured from outside under Wine. The 1,000 JPEGs play fitted to the
# screen (a folder's default) and at their own size ("none"), to compare.
# Usage: photo_show_bench.sh MLSHOW PLAYER WORK-FOLDER
set -e
. "$(cd "$(dirname "$0")" && pwd)/bench_photos.sh"

# A folder of `count` pictures named in playing order, the ten repeated.
folder() {
    count=$1
    dir="photos$count"
    [ -d "$dir" ] && [ "$(ls "$dir" | wc -l)" -eq "$count" ] && return 0
    rm -rf "$dir" && mkdir "$dir"
    i=0
    while [ $i -lt "$count" ]; do
        ln "photos/photo$((i % 10)).jpg" "$dir/$(printf '%04d' $i).jpg"
        i=$((i + 1))
    done
}

manifest() {  # count store fit
    cat >"show$1$2.toml" <<TOML
[show]
title = "Photos"
background = "#000000"

[[item]]
type = "pictures"
folder = "photos$1"
store = "$2"
fit = "$3"
hold = 5
TOML
}


printf '%-8s %-7s %-5s %9s %9s %8s %9s %8s %10s\n' pictures stored fit "JPEG MB" ".scr MB" "build s" "build MB" \
    "first s" "player MB"
for count in 10 100 1000; do
    folder $count
    jpeg=$(find "photos$count" -name '*.jpg' -printf '%s\n' | awk '{ s += $1 } END { print s }')
    for variant in auto:fit bitmap:fit auto:none; do
        store=${variant%:*} fit=${variant#*:}
        [ $store = bitmap ] && [ $count -gt 100 ] && continue  # about 6 GB: more than the player holds
        [ $fit = none ] && [ $count -lt 1000 ] && continue
        manifest $count $store $fit
        /usr/bin/time -f "%e %M" -o build.time "$mlshow" build "show$count$store.toml" --quiet --player "$player" \
            -o "show$count$store.scr" || true
        read -r seconds kb <build.time
        size=$(stat -c %s "show$count$store.scr")
        set -- $(play "$work/show$count$store.scr" 3)
        printf '%-8s %-7s %-5s %9d %9d %8s %9d %8s %10s\n' $count $store $fit $((jpeg / 1048576)) $((size / 1048576)) \
            "$seconds" $((kb / 1024)) "$1" "$2"
        rm -f "show$count$store.scr"
    done
done
