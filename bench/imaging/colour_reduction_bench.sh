#!/bin/sh
# Runs the colour-reduction benchmark under Wine, then ImageMagick's
# Floyd-Steinberg remap of the same picture to the same 256 colours natively,
# decode time subtracted, and prints the figures side by side.
# Usage: colour_reduction_bench.sh BENCH.exe WORK-FOLDER
set -e
program=$1
work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$work"
rm -f "$work/picture.ppm" "$work/palette.ppm"
winfolder="Z:$(printf '%s' "$work" | tr / '\\')"

output=$("$root/scripts/wine-exec" "$program" "$winfolder" | tr -d '\r')
printf '%s\n' "$output"
figure() { printf '%s\n' "$output" | awk -v n="$1_ms" '$1 == n { print $2 }'; }
plain=$(figure PlainLoop)
reused=$(figure PlainLoopReusedBuffer)
dither=$(figure DitherDib)
remap=$(figure RemapDib)

# The best of five runs of a command, in milliseconds.
best_ms() {
    best=""
    for _ in 1 2 3 4 5; do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        t=$(( (end - start) / 1000 ))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}

convert=/usr/bin/convert
if [ -x "$convert" ]; then
    for threads in 1 default; do
        if [ "$threads" = 1 ]; then export MAGICK_THREAD_LIMIT=1; else unset MAGICK_THREAD_LIMIT; fi
        decode=$(best_ms "$convert" "$work/picture.ppm" null:)
        total=$(best_ms "$convert" "$work/picture.ppm" -dither FloydSteinberg -remap "$work/palette.ppm" null:)
        magick=$(awk -v a="$total" -v b="$decode" 'BEGIN { printf "%.1f", a - b }')
        echo "ImageMagick_ms $magick (threads: $threads; $total ms with decoding, $decode ms decoding alone)"
        awk -v m="$magick" -v d="$dither" -v t="$threads" \
            'BEGIN { printf "ImageMagick / DitherDib (threads %s): %.1fx (goal: at least 5x)\n", t, m / d }'
    done
else
    echo "ImageMagick not found at $convert: no peer figure"
fi
awk -v d="$dither" -v p="$plain" -v u="$reused" -v r="$remap" 'BEGIN {
    printf "DitherDib / plain loop into fresh memory: %.2fx (goal: at most 1.5x)\n", d / p
    printf "DitherDib / plain loop into a reused buffer: %.2fx\n", d / u
    printf "RemapDib / plain loop into fresh memory: %.2fx\n", r / p
}'
