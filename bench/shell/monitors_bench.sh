#!/bin/sh
# What playing on every monitor costs: a show of ten 1920x1080 photos fitted
# to each monitor, dissolving into each other every two seconds, played for
# SECONDS in each monitor mode on one monitor (1024x768) and on two (and an
# 800x600 to its right), and in "each" mode with the folder in random order.
# Prints the player's processor time and its peak resident memory, measured
# from outside under Wine.
# Usage: monitors_bench.sh MLSHOW PLAYER WORKDIR UPDATE, run under
# scripts/with-two-monitors with ML_XORG_CONFIG=scripts/changing-monitors.conf
# and scripts/with-wine-copy with scripts/changing-monitors.reg.
set -e
update=$4
seconds=${ML_MONITORS_BENCH_SECONDS:-20}
. "$(cd "$(dirname "$0")" && pwd)/bench_photos.sh"
# "random": "each" with the folder in random order, which the monitors share.
for mode in primary each mirror random; do
    monitors=$mode order=""
    [ "$mode" = random ] && monitors=each order='order = "random"'
    cat >"$mode.toml" <<TOML
[show]
title = "Monitors $mode"
background = "#000000"
monitors = "$monitors"

[[item]]
type = "pictures"
folder = "photos"
fit = "fit"
appear = "Crossfade"
disappear = "No Clear"
fade = 1
hold = 2
$order
TOML
    "$mlshow" build --quiet "$mode.toml" --player "$player" -o "$mode.scr"
done

monitors() {  # monitors one|two: switch the second monitor off or on, and tell Wine
    if [ "$1" = one ]; then
        xrandr --output DUMMY1 --off --output DUMMY0 --mode 1024x768 --pos 0x0 --primary
    else
        xrandr --output DUMMY1 --mode 800x600 --right-of DUMMY0
    fi
    "$WINELOADER" "$update" >/dev/null 2>&1
}

# CPU seconds (user + system) and peak MB of the player after SECONDS.
measure() {
    "$WINELOADER" "$1" /s >/dev/null 2>&1 &
    saver=$!
    sleep "$seconds"
    cpu=0 hwm=0
    for pid in $(pgrep -f "$(basename "$1")"); do
        t=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)
        h=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
        [ "${t:-0}" -gt "$cpu" ] && cpu=$t
        [ "${h:-0}" -gt "$hwm" ] && hwm=$h
    done
    xdotool key space 2>/dev/null || true
    wait "$saver" || true
    awk -v t="$cpu" -v hz="$(getconf CLK_TCK)" -v s="$seconds" -v m="$hwm" \
        'BEGIN { printf "%8.2f %8.1f %%  %8.1f\n", t / hz, 100 * t / hz / s, m / 1024 }'
}

xrandr --addmode DUMMY1 800x600 2>/dev/null || true
printf '%-9s %-8s %8s %10s %9s\n' monitors mode "cpu s" "cpu share" "peak MB"
for count in one two; do
    monitors "$count"
    for mode in primary each mirror random; do
        printf '%-9s %-8s ' "$count" "$mode"
        measure "$mode.scr"
    done
done
monitors one
