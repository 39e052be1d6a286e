# Sourced by the benchmarks that play photo shows: ten distinct photo-like
# 1920x1080 JPEGs (fractal clouds with grain) in ./photos, made once.
mkdir -p photos
for i in 0 1 2 3 4 5 6 7 8 9; do
    [ -s "photos/photo$i.jpg" ] || /usr/bin/convert -size 1920x1080 -seed "$i" plasma:fractal -blur 0x1 \
        -attenuate 0.4 +noise Gaussian -quality 90 "photos/photo$i.jpg"
done
