#!/bin/sh
# The package for Windows users: packed twice, the same bytes; it holds what
# it should; unpacked, its mlshow.exe says the release's version and builds
# and verifies the example show with the player beside it, under Wine.
#   dist_test.sh ROOT PROGRAMS   (PROGRAMS: the programs that run on this Wine)
root=$1 programs=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "dist_test: $*" >&2; exit 1; }
version=$(head -n 1 "$root/VERSION")
"$root/scripts/dist" "$programs" "$work/a.zip" >/dev/null || fail "packing failed"
sleep 1  # a second later: nothing of the packing time may reach the zip
"$root/scripts/dist" "$programs" "$work/b.zip" >/dev/null || fail "packing again failed"
cmp -s "$work/a.zip" "$work/b.zip" || fail "two packings differ"

top=marrowlight-$version
python3 -m zipfile -e "$work/a.zip" "$work/unpacked" || fail "the zip does not unpack"
for name in mlshow.exe marrowlight.scr README.txt docs/photo-saver.md docs/manifest.md docs/format.md docs/applets.md \
    docs/sound-and-animation.md examples/demo/show.toml examples/demo/applet.txt \
    licences/zlib.txt licences/stb.txt licences/toml++.txt licences/CLI11.txt \
    licences/mingw-w64-runtime-and-winpthreads.txt licences/libstdc++-libgcc-runtime-exception.txt; do
    [ -s "$work/unpacked/$top/$name" ] || fail "$top/$name is missing or empty"
done
grep -q "GCC RUNTIME LIBRARY EXCEPTION" "$work/unpacked/$top/licences/libstdc++-libgcc-runtime-exception.txt" ||
    fail "the runtime exception is not in its licence file"
grep -qi "winpthreads" "$work/unpacked/$top/licences/mingw-w64-runtime-and-winpthreads.txt" ||
    fail "winpthreads' licence is missing"
extra=$(python3 -m zipfile -l "$work/a.zip" | awk 'NR > 1 { print $1 }' | grep -v "^$top/" || true)
[ -z "$extra" ] || fail "entries outside $top/: $extra"

cd "$work/unpacked/$top" || fail "no $top"
said=$("$WINELOADER" mlshow.exe --version | tr -d '\r')
[ "$said" = "mlshow $version" ] || fail "mlshow.exe --version says '$said', not 'mlshow $version'"
"$WINELOADER" mlshow.exe build -q examples/demo/show.toml -o demo.scr || fail "the unpacked mlshow.exe does not build the demo"
"$WINELOADER" mlshow.exe verify -q demo.scr || fail "the demo it built does not verify"
echo "dist_test: the package holds what it should and works"
