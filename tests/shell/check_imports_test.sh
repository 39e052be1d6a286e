#!/bin/sh
# The import check catches what it is there for: each row alters the list of
# what the player may import and names what the check must then report (an
# empty expectation: the check passes).
#   check_imports_test.sh CHECK LIST PLAYER
check=$1
list=$2
player=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

row() {  # description sed-script expected-message
    sed "$2" "$list" >"$work/list"
    out=$("$check" "$work/list" "$player" 2>&1)
    status=$?
    if [ -z "$3" ]; then
        [ $status -eq 0 ]
    else
        [ $status -ne 0 ] && printf '%s\n' "$out" | grep -qF "$3"
    fi && { echo "ok: $1"; return; }
    echo "FAILED: $1 (exit status $status)"
    printf '%s\n' "$out"
    failures=$((failures + 1))
}

row "the list as it is" "" ""
row "an import left out" "/ CloseHandle /d" "CloseHandle is not in"
row "an import newer than the oldest Windows" "s/^\(KERNEL32.dll *GetTickCount64 *\)Vista/\18/" "GetTickCount64 needs Windows 8"
row "a header that asks for a newer Windows" "s/^oldest 7/oldest Vista/" "asks for operating system version 6.1, not 6.0"
row "a version the check does not know" "s/^\(GDI32.dll *BitBlt *\)2000/\1NT4/" "bad line"
row "no oldest Windows" "/^oldest /d" "names no oldest Windows"
exit $failures
