# Sourced by the benchmarks that play photo shows, with their arguments
# MLSHOW PLAYER WORK-FOLDER: it works in the work folder, where it keeps ten
# distinct photo-like 1920x1080 JPEGs (fractal clouds with grain) in
# ./photos, made once; and it gives the measure of a saver's start.
mlshow=$1
player=$2
work=$3
mkdir -p "$work"
cd "$work"
mkdir -p photos
for i in 0 1 2 3 4 5 6 7 8 9; do
    [ -s "photos/photo$i.jpg" ] || /usr/bin/convert -size 1920x1080 -seed "$i" plasma:fractal -blur 0x1 \
        -attenuate 0.4 +noise Gaussian -quality 90 "photos/photo$i.jpg"
done

# The player's start to its first picture on the screen in seconds, and its
# peak resident memory in MB after `settle` more seconds (the next photo
# made ready, a search run on). The saver runs with the environment
# PLAY_ENV names (assignments, e.g. "KEY=value"), when set.
play() {  # scr settle
    start=$(date +%s%N)
    # shellcheck disable=SC2086  # one word per assignment
    env $PLAY_ENV "$WINELOADER" "$1" /s >/dev/null 2>&1 &
    saver=$!
    seen=""
    for _ in $(seq 1 1500); do
        pixel=$(import -display "$DISPLAY" -window root -crop 1x1+512+384 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1)
        if [ -n "$pixel" ] && [ "$pixel" != "#000000" ]; then seen=$(date +%s%N); break; fi
        sleep 0.02
    done
    sleep "$2"
    hwm=0
    for pid in $(pgrep -f "$(basename "$1")"); do
        h=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
        [ "${h:-0}" -gt "$hwm" ] && hwm=$h
    done
    xdotool key space 2>/dev/null || true
    wait "$saver" || true
    if [ -z "$seen" ]; then first="never"; else first=$(awk -v t=$((seen - start)) 'BEGIN { printf "%.2f", t / 1e9 }'); fi
    echo "$first $((hwm / 1024))"
}
