#!/bin/sh
# The set-up script's decisions, with stand-ins for apt-get, dpkg-query, dpkg,
# id and sudo on PATH: nothing is downloaded or installed. Each row names the
# packages that are missing, those no mirror has, whether the index update
# fails and who runs it, then what the script must do.
#   install_deps_test.sh INSTALL-DEPS
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# One stand-in for every command, told apart by the name it is called by.
# State: missing (packages not installed), unavailable (packages no mirror
# has), update-fails, user (id -u), foreign (architectures dpkg knows
# besides its own); every call is logged to calls.
mkdir "$work/bin"
# Shell built-ins only: the script calls dpkg-query for every package.
cat >"$work/bin/stand-in" <<'EOF'
#!/bin/sh
state=${INSTALL_DEPS_STATE:?}
name=${0##*/}
echo "$name $*" >>"$state/calls"
lines() { [ -f "$state/$1" ] && while IFS= read -r line; do echo "$line"; done <"$state/$1"; }
listed() {  # package file
    [ -f "$state/$2" ] || return 1
    while IFS= read -r line; do [ "$line" = "$1" ] && return 0; done <"$state/$2"
    return 1
}
case $name in
id) lines user ;;
sudo) exec "$@" ;;
dpkg-query)  # -W -f='${Status}' PACKAGE
    for p; do :; done
    listed "$p" missing && { echo "dpkg-query: no packages found matching $p" >&2; exit 1; }
    printf 'install ok installed' ;;
dpkg)
    case $1 in
    --print-foreign-architectures) lines foreign ;;
    --add-architecture) echo "$2" >>"$state/foreign" ;;
    esac ;;
apt-get)
    command=""
    packages=""
    for a; do
        case $a in -*) ;; *) [ -z "$command" ] && command=$a || packages="$packages $a" ;; esac
    done
    case $command in
    update) [ -e "$state/update-fails" ] && { echo "E: Failed to fetch an index" >&2; exit 100; } ;;
    install)
        # As apt-get: one package that cannot be had and nothing is installed.
        for p in $packages; do
            listed "$p" unavailable && { echo "E: Unable to locate package $p" >&2; exit 100; }
        done
        for p in $packages; do
            left=$(lines missing | while IFS= read -r line; do [ "$line" = "$p" ] || echo "$line"; done)
            printf '%s\n' "$left" >"$state/missing"
        done ;;
    esac ;;
esac
exit 0
EOF
chmod +x "$work/bin/stand-in"
for name in apt-get dpkg-query dpkg id sudo; do ln -s stand-in "$work/bin/$name"; done

# Runs the script on a fresh state: missing and unavailable are lists of
# packages, update "fails" or "works", user an id.
run() {  # missing unavailable update user
    state="$work/state"
    rm -rf "$state" && mkdir "$state"
    printf '%s\n' $1 >"$state/missing"
    printf '%s\n' $2 >"$state/unavailable"
    [ "$3" = fails ] && : >"$state/update-fails"
    echo "$4" >"$state/user"
    : >"$state/calls"
    [ -n "$STAMPED" ] && : >"$state/no-wine32"
    INSTALL_DEPS_STATE=$state ML_NO_WINE32_STAMP="$state/no-wine32" PATH="$work/bin:$PATH" sh "$script" \
        >"$state/out" 2>&1
    status=$?
}

# Passes when `check` (a shell condition on $status, $state/calls,
# $state/out and $state/missing) holds.
row() {  # description missing unavailable update user check
    run "$2" "$3" "$4" "$5"
    if eval "$6"; then
        echo "ok: $1"
        return
    fi
    echo "FAILED: $1 (exit status $status)"
    sed 's/^/  out: /' "$state/out"
    sed 's/^/  call: /' "$state/calls"
    failures=$((failures + 1))
}

called() { grep -q "$1" "$state/calls"; }
said() { grep -qF "$1" "$state/out"; }
left() { [ "$(grep -c . "$state/missing")" -eq "$1" ]; }

row "nothing missing: no apt-get call" "" "" works 0 \
    '[ $status -eq 0 ] && ! called "^apt-get" && ! called "^sudo"'
row "an index update that fails: goes on and installs" "cmake xdotool" "" fails 0 \
    '[ $status -eq 0 ] && called "^apt-get update" && called "^apt-get install.* cmake xdotool" && left 0 &&
     said "could not be downloaded"'
row "the 32-bit set cannot be had: warns, exit 0, not asked again that day" "cmake wine32:i386 libxrandr2:i386" \
    "wine32:i386" works 0 '[ $status -eq 0 ] && said "could not install the 32-bit set: wine32:i386;" && left 1 &&
     ! said "needed by every build" && [ -e "$state/no-wine32" ]'
STAMPED=1
row "the 32-bit set failed within the day: no apt-get call" "wine32:i386" "" works 0 \
    '[ $status -eq 0 ] && ! called "^apt-get"'
row "a main package missing: installed, the 32-bit set not asked for" "cmake wine32:i386" "" works 0 \
    '[ $status -eq 0 ] && called "^apt-get install.* cmake" && ! called "install.*wine32" && left 1'
STAMPED=""
row "a package every build needs cannot be had: fails naming it" "cmake xdotool wine32:i386" "xdotool" works 0 \
    '[ $status -ne 0 ] && said "could not install: xdotool (needed by every build)" && ! said "cmake (" &&
     ! grep -qx cmake "$state/missing"'
row "both sets fail and the update too: names the main package" "xvfb libxinerama1:i386" \
    "xvfb libxinerama1:i386" fails 0 '[ $status -ne 0 ] && said "could not install: xvfb"'
row "the 32-bit set missing on a machine without i386: adds the architecture" "libxinerama1:i386" "" works 0 \
    '[ $status -eq 0 ] && called "^dpkg --add-architecture i386" && left 0'
row "only the main set missing: no architecture added" "cmake" "" works 0 \
    '[ $status -eq 0 ] && ! called "add-architecture" && left 0'
row "not root: apt-get through sudo" "cmake" "" works 1000 \
    '[ $status -eq 0 ] && called "^sudo apt-get update" && called "^sudo apt-get install" && left 0'
exit $failures
