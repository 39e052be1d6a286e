#!/bin/sh
# The layering check passes on the tree as it is, and fails, naming the
# file, on a tree where a lower room includes a higher one.
check=$1/scripts/check-layers
sh "$check" "$1" || { echo "FAIL: the tree itself"; exit 1; }
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/content" "$tree/src/shell" "$tree/src/imaging"
printf '#include "imaging/dib.h"\n' >"$tree/src/content/loader.cpp"
printf '#include "content/format.h"\n#include "shell/show.h"\n' >"$tree/src/imaging/placement.h"
printf '#include "imaging/dib.h"\n' >"$tree/src/shell/show.cpp"
out=$(sh "$check" "$tree" 2>&1) && { echo "FAIL: an upward include passed"; exit 1; }
case $out in
    *"imaging/placement.h includes shell/"*) ;;
    *) echo "FAIL: not named: $out"; exit 1 ;;
esac
[ "$(printf '%s\n' "$out" | grep -c 'includes')" -eq 1 ] || { echo "FAIL: more than the one: $out"; exit 1; }
echo "1 passed, 0 failed"
