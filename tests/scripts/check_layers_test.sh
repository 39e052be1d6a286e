#!/bin/sh
# The layering check passes on the tree as it is, and fails, naming each
# file, on a tree where lower rooms include higher ones; a room including
# one of its own level passes.
check=$1/scripts/check-layers
sh "$check" "$1" || { echo "FAIL: the tree itself"; exit 1; }
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/content" "$tree/src/shell" "$tree/src/imaging" "$tree/src/photos"
printf '#include "imaging/dib.h"\n' >"$tree/src/content/loader.cpp"
printf '#include "content/format.h"\n#include "shell/show.h"\n' >"$tree/src/imaging/placement.h"
printf '#include "imaging/dib.h"\n' >"$tree/src/shell/show.cpp"
printf '#include "content/crc32.h"\n#include "imaging/dib.h"\n' >"$tree/src/photos/search.cpp"
printf '#include "shell/photo_settings.h"\n' >"$tree/src/photos/library.cpp"
out=$(sh "$check" "$tree" 2>&1) && { echo "FAIL: an upward include passed"; exit 1; }
for named in "imaging/placement.h includes shell/" "photos/library.cpp includes shell/"; do
    case $out in
        *"$named"*) ;;
        *) echo "FAIL: not named ($named): $out"; exit 1 ;;
    esac
done
[ "$(printf '%s\n' "$out" | grep -c 'includes')" -eq 2 ] || { echo "FAIL: more than the two: $out"; exit 1; }
echo "1 passed, 0 failed"
